#include "platform/ui/edit_messages.hpp"

#include <wx/clipbrd.h>
#include <wx/textentry.h>
#include <wx/window.h>

namespace keltrov {

namespace {

wxString ClipboardText() {
    wxTextDataObject data;
    wxClipboardLocker locker;
    if (!locker || !wxTheClipboard->IsSupported(wxDF_UNICODETEXT)) return {};
    wxTheClipboard->GetData(data);
    return data.GetText();
}

void PutOnClipboard(const wxString& text) {
    wxClipboardLocker locker;
    if (!locker) return;
    wxTheClipboard->SetData(new wxTextDataObject(text));
}

void Paste(wxTextEntry& entry) {
    // A one-line box takes the text up to its first line break.
    const wxString text = ClipboardText().BeforeFirst('\n').BeforeFirst('\r');
    if (!text.empty()) entry.WriteText(text);
}

}  // namespace

void SendEditMessage(wxWindow& window, EditMessage message) {
    auto* entry = dynamic_cast<wxTextEntry*>(&window);
    if (entry == nullptr) return;
    long from = 0;
    long to = 0;
    entry->GetSelection(&from, &to);
    switch (message) {
        case EditMessage::Paste: Paste(*entry); break;
        case EditMessage::Copy:
            if (from < to) PutOnClipboard(entry->GetRange(from, to));
            break;
        case EditMessage::Clear:
            if (from < to) entry->Remove(from, to);
            break;
    }
}

}  // namespace keltrov
