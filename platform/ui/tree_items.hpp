#pragma once
// Tree items carry an index into a list of strings that the tree's owner keeps (the node code
// list). The list is attached to the tree so that anyone holding the tree finds an item's string.
#include <wx/treectrl.h>

#include <string>
#include <vector>

namespace keltrov {

class TreeItemIndex : public wxTreeItemData {
public:
    explicit TreeItemIndex(long index) : m_index(index) {}
    long Index() const { return m_index; }

private:
    long m_index;
};

void AttachItemStrings(wxTreeCtrl& tree, const std::vector<std::string>& strings);
// Makes the toolkit's tree select as the system's tree view does: nothing is selected until the
// user chooses an item (the toolkit would pick its hidden root when idle), and a right click
// asks for the context menu without moving the selection.
void KeepTreeViewSelection(wxTreeCtrl& tree);
// -1 for an invalid item or one without an index.
long GetItemIndex(const wxTreeCtrl& tree, const wxTreeItemId& item);
// The attached list's entry at the item's index; empty when there is none.
std::string GetItemString(const wxTreeCtrl& tree, const wxTreeItemId& item);

}  // namespace keltrov
