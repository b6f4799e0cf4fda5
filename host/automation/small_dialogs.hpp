#pragma once
// Answering the small modal dialogs (name input, range fill, calendar) from the script, knowing
// them only by what they show: the fields in tab order and the buttons "确认" and "取消".
#include <string>
#include <vector>

class wxDialog;

namespace keltrov::automation {

enum class SmallDialogKind { Name, Fill, Calendar, Unknown };

// A calendar control makes a calendar; one edit alone a name dialog; an edit with a check box
// among its fields a fill dialog.
SmallDialogKind ClassifyDialog(wxDialog& dialog);
// "name dialog", "fill dialog", "calendar" or "dialog".
const char* KindName(SmallDialogKind kind);
// The kind's name with the dialog's title.
std::string DescribeDialog(wxDialog& dialog);

struct DialogAnswer {
    int line = 0;  // the script line that queued it
    bool confirm = false;
    // Name: the name; fill: its five fields; calendar: the date as YYYY-MM-DD.
    std::vector<std::string> values;
};

// Fills the dialog's fields and presses its button; throws ActionError when the dialog lacks a
// field or the button, or stays open after the button was pressed.
void ApplyAnswer(wxDialog& dialog, const DialogAnswer& answer);

}  // namespace keltrov::automation
