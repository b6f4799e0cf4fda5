#include "platform/ui/message.hpp"

#include <wx/app.h>
#include <wx/msgdlg.h>

#include <iostream>

#include "platform/ui/seam.hpp"

namespace keltrov {

namespace {

Seam<MessageHandler>& MessageSeam() {
    static Seam<MessageHandler> seam;
    return seam;
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
    const MessageHandler& handler = MessageSeam().Installed();
    return handler ? handler(text, buttons) : ShowDefault(text, buttons);
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    return MessageSeam().Install(std::move(handler));
}

}  // namespace keltrov
