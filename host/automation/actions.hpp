#pragma once
// A user's actions on the controls of a dialog, each carried out with the events the toolkit
// sends when a person does it. Every function throws ActionError when the action is impossible
// (no such control, a disabled one, an item that is not shown).
#include <wx/gdicmn.h>

#include <string>

#include "host/automation/dialog_probe.hpp"
#include "host/automation/script.hpp"

class wxButton;
class wxDialog;
class wxTreeCtrl;
class wxWindow;

namespace keltrov::automation {

void SelectNode(wxDialog& dialog, const std::string& node);
void ExpandNode(wxDialog& dialog, const std::string& node, bool expand);
void ClickButton(wxDialog& dialog, int id);
// The system's command id as a popup menu of the dialog delivers it.
void ChooseCommand(wxDialog& dialog, int id);
void TypeText(wxDialog& dialog, int id, const std::string& text);
void SetWageDate(wxDialog& dialog, const ScriptDate& date);
// key is "enter", "down", "up" or "tab".
void PressKey(wxDialog& dialog, int id, const std::string& key);
void RightClick(wxDialog& dialog, int id);
void DoubleClick(wxDialog& dialog, int id);
void TypeIntoCell(wxDialog& dialog, int row, int column, const std::string& text);
void MakeCellCurrent(wxDialog& dialog, int row, int column);
// "导出…" on the wage sheet with the file question answered by the path.
void ExportSheet(wxDialog& dialog, const std::string& path);
// Runs the sheet's print command and writes the pages it would preview to a PDF at path.
void PrintSheetToPdf(wxDialog& dialog, const std::string& path);

// The pieces used again for the small dialogs.
void PressButton(wxButton& button);
// Gives an edit or combo box the text as typing does: the text, then its change event.
void TypeInto(wxWindow& control, const std::string& text);

// A mouse drag of a tree item, in steps the event loop runs between.
class TreeDrag {
public:
    // Presses on the item and starts dragging it.
    TreeDrag(wxDialog& dialog, const std::string& node);
    void MoveOver(const std::string& node);
    // Moves to a point beside the tree, outside it.
    void MoveOutside();
    // Lets the button go where the pointer is.
    void Release();

private:
    void SendMouse(int eventType);

    wxDialog& dialog_;
    wxTreeCtrl& tree_;
    wxPoint screenPoint_;
};

}  // namespace keltrov::automation
