#pragma once
// The dialog's state as a JSON object: tree, selection, controls, focus, sheet, and the message
// boxes and popup menus shown so far.
#include <string>
#include <vector>

#include "platform/ui/message.hpp"

class wxDialog;

namespace keltrov::automation {

struct ShownMessage {
    std::string text;
    MessageButtons buttons;
    MessageAnswer answer;
};

// A popup menu's entries from the top; "-" for a separator.
using ShownMenu = std::vector<std::string>;

std::string DumpDialog(wxDialog& dialog, const std::vector<ShownMessage>& messages,
                       const std::vector<ShownMenu>& menus);
// Throws ActionError when the file cannot be written.
void WriteDump(const std::string& path, const std::string& json);

// A PNG of the dialog as it is on screen; throws ActionError when it cannot be taken or written.
void WriteScreenshot(wxDialog& dialog, const std::string& path);

}  // namespace keltrov::automation
