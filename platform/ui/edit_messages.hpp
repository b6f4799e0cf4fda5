#pragma once
// The clipboard messages of an edit box, which a combo box passes on to its edit part; other
// windows ignore them. They go through the toolkit's clipboard.
class wxWindow;

namespace keltrov {

enum class EditMessage {
    Paste,  // the clipboard's text replaces the selection
    Copy,   // the selection goes to the clipboard
    Clear,  // the selection is deleted
};

void SendEditMessage(wxWindow& window, EditMessage message);

}  // namespace keltrov
