#include "host/automation/dialog_probe.hpp"

#include <wx/dialog.h>
#include <wx/toplevel.h>

#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/tree_items.hpp"

namespace keltrov::automation {

namespace {

template <class Control>
Control* FindFirst(wxDialog& dialog) {
    Control* found = nullptr;
    ForEachDescendant(dialog, [&found](wxWindow& window) {
        if (found == nullptr) found = dynamic_cast<Control*>(&window);
    });
    return found;
}

wxTreeItemId FindByCode(const wxTreeCtrl& tree, const std::vector<wxTreeItemId>& items, const std::string& code) {
    for (const wxTreeItemId& item : items) {
        if (GetItemString(tree, item) == code) return item;
        const wxTreeItemId below = FindByCode(tree, ChildItems(tree, item), code);
        if (below.IsOk()) return below;
    }
    return {};
}

wxTreeItemId FindByPath(const wxTreeCtrl& tree, const std::string& path) {
    std::vector<wxTreeItemId> level = TopLevelItems(tree);
    wxTreeItemId found;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = std::min(path.find('/', start), path.size());
        const wxString text = wxString::FromUTF8(path.substr(start, slash - start));
        found = {};
        for (const wxTreeItemId& item : level) {
            if (tree.GetItemText(item) == text) {
                found = item;
                break;
            }
        }
        if (!found.IsOk()) return {};
        level = ChildItems(tree, found);
        start = slash + 1;
    }
    return found;
}

}  // namespace

void ForEachDescendant(wxWindow& root, const std::function<void(wxWindow&)>& visit) {
    for (wxWindow* child : root.GetChildren()) {
        // A dialog opened from this one is a window of its own, not one of its controls.
        if (child->IsTopLevel()) continue;
        visit(*child);
        ForEachDescendant(*child, visit);
    }
}

wxWindow& ControlById(wxDialog& dialog, int id) {
    wxWindow* found = nullptr;
    ForEachDescendant(dialog, [&found, id](wxWindow& window) {
        if (found == nullptr && window.GetId() == id) found = &window;
    });
    if (found == nullptr) throw ActionError("the dialog has no control " + std::to_string(id));
    return *found;
}

wxTreeCtrl* FindTree(wxDialog& dialog) {
    return FindFirst<wxTreeCtrl>(dialog);
}

sheet::SheetControl* FindSheet(wxDialog& dialog) {
    return FindFirst<sheet::SheetControl>(dialog);
}

std::vector<wxTreeItemId> ChildItems(const wxTreeCtrl& tree, const wxTreeItemId& parent) {
    std::vector<wxTreeItemId> items;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree.GetFirstChild(parent, cookie); child.IsOk();
         child = tree.GetNextChild(parent, cookie)) {
        items.push_back(child);
    }
    return items;
}

std::vector<wxTreeItemId> TopLevelItems(const wxTreeCtrl& tree) {
    const wxTreeItemId root = tree.GetRootItem();
    if (!root.IsOk()) return {};
    if (tree.HasFlag(wxTR_HIDE_ROOT)) return ChildItems(tree, root);
    return {root};
}

wxTreeItemId FindNode(const wxTreeCtrl& tree, const std::string& node) {
    const wxTreeItemId found =
        node.starts_with('#') ? FindByCode(tree, TopLevelItems(tree), node.substr(1)) : FindByPath(tree, node);
    if (!found.IsOk()) throw ActionError("the tree has no item " + node);
    return found;
}

std::optional<int> FocusedControlId(wxDialog& dialog) {
    wxWindow* focus = wxWindow::FindFocus();
    if (focus == nullptr || wxGetTopLevelParent(focus) != &dialog) return std::nullopt;
    for (wxWindow* window = focus; window != &dialog; window = window->GetParent()) {
        if (window->GetId() > 0) return window->GetId();
    }
    return std::nullopt;
}

}  // namespace keltrov::automation
