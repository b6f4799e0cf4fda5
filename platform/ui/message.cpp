#include "platform/ui/message.hpp"

#include <wx/app.h>
#include <wx/msgdlg.h>

#include <iostream>
#include <utility>

namespace keltrov {

namespace {

MessageHandler& InstalledHandler() {
    static MessageHandler handler;
    return handler;
}

MessageAnswer ShowDefault(const std::string& text, MessageButtons buttons) {
    if (wxTheApp == nullptr) {
        // Without a toolkit there is nobody to ask: the text goes to the console and counts as OK.
        std::cerr << text << '\n';
        return MessageAnswer::Ok;
    }
    const long style = buttons == MessageButtons::OkCancel ? (wxOK | wxCANCEL) : wxOK;
    const int answer = wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(""), style);
    return answer == wxCANCEL ? MessageAnswer::Cancel : MessageAnswer::Ok;
}

}  // namespace

MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) {
    const MessageHandler& handler = InstalledHandler();
    return handler ? handler(text, buttons) : ShowDefault(text, buttons);
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    return std::exchange(InstalledHandler(), std::move(handler));
}

}  // namespace keltrov
