#include "platform/ui/tree_items.hpp"

namespace keltrov {

namespace {

class ItemStrings : public wxClientData {
public:
    explicit ItemStrings(const std::vector<std::string>& strings) : m_strings(strings) {}
    const std::vector<std::string>& Strings() const { return m_strings; }

private:
    const std::vector<std::string>& m_strings;
};

}  // namespace

void AttachItemStrings(wxTreeCtrl& tree, const std::vector<std::string>& strings) {
    tree.SetClientObject(new ItemStrings(strings));
}

void KeepTreeViewSelection(wxTreeCtrl& tree) {
    tree.Bind(wxEVT_TREE_SEL_CHANGING, [&tree](wxTreeEvent& event) {
        if (tree.HasFlag(wxTR_HIDE_ROOT) && event.GetItem() == tree.GetRootItem()) {
            event.Veto();
            return;
        }
        event.Skip();
    });
    // Taken here, the button never reaches the toolkit's tree, which would select the item under it.
    tree.Bind(wxEVT_RIGHT_DOWN, [&tree](wxMouseEvent& event) {
        wxContextMenuEvent menu(wxEVT_CONTEXT_MENU, tree.GetId(), tree.ClientToScreen(event.GetPosition()));
        menu.SetEventObject(&tree);
        tree.HandleWindowEvent(menu);
    });
}

long GetItemIndex(const wxTreeCtrl& tree, const wxTreeItemId& item) {
    if (!item.IsOk()) return -1;
    const auto* data = dynamic_cast<const TreeItemIndex*>(tree.GetItemData(item));
    return data != nullptr ? data->Index() : -1;
}

std::string GetItemString(const wxTreeCtrl& tree, const wxTreeItemId& item) {
    const auto* attached = dynamic_cast<const ItemStrings*>(tree.GetClientObject());
    const long index = GetItemIndex(tree, item);
    if (attached == nullptr || index < 0 || index >= static_cast<long>(attached->Strings().size())) return {};
    return attached->Strings()[static_cast<size_t>(index)];
}

}  // namespace keltrov
