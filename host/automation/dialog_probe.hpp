#pragma once
// Finding things in a dialog the way a user sees them: controls by id, tree items by node code or
// by the path of their texts.
#include <wx/treectrl.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class wxDialog;
class wxWindow;

namespace keltrov::sheet {
class SheetControl;
}

namespace keltrov::automation {

// A line that cannot be carried out; the runner puts the line number in front.
class ActionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Every window below root, parents before children, in the order of the window tree (tab order).
void ForEachDescendant(wxWindow& root, const std::function<void(wxWindow&)>& visit);

// The control with this id below the dialog; throws ActionError when there is none.
wxWindow& ControlById(wxDialog& dialog, int id);
// The dialog's first control of the class; null when there is none.
wxTreeCtrl* FindTree(wxDialog& dialog);
sheet::SheetControl* FindSheet(wxDialog& dialog);

// The items a user sees at the top of the tree (the children of a hidden root).
std::vector<wxTreeItemId> TopLevelItems(const wxTreeCtrl& tree);
std::vector<wxTreeItemId> ChildItems(const wxTreeCtrl& tree, const wxTreeItemId& parent);
// "#CODE" or "text/text/...": throws ActionError when no item matches.
wxTreeItemId FindNode(const wxTreeCtrl& tree, const std::string& node);

// The id of the control holding the keyboard focus: the nearest window from the focus up that
// has an id of its own (so a combo box's edit part counts as the combo box).
std::optional<int> FocusedControlId(wxDialog& dialog);

}  // namespace keltrov::automation
