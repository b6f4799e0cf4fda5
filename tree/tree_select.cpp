// Choosing a node, reloading its wages, and the context menus of the tree and the sheet.
#include <wx/menu.h>

#include <memory>
#include <optional>

#include "data/statements.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/menu_ids.hpp"
#include "platform/ui/menu_resource.hpp"
#include "resources/control_ids.hpp"

namespace {

namespace ids = keltrov::ids;

// The additions a node of this code length offers, top first.
void InsertTreeEntries(wxMenu& popup, size_t codeLength) {
    popup.InsertSeparator(0);
    if (codeLength == 3) {
        popup.Insert(0, keltrov::MenuItemId(ids::kAddCompanyCommand), wxString::FromUTF8("增加公司"));
        popup.Insert(0, keltrov::MenuItemId(ids::kAddDepartmentCommand), wxString::FromUTF8("增加部门"));
    } else if (codeLength == 0) {
        popup.Insert(0, keltrov::MenuItemId(ids::kAddCompanyCommand), wxString::FromUTF8("增加公司"));
    } else {
        popup.Insert(0, keltrov::MenuItemId(ids::kAddDepartmentCommand), wxString::FromUTF8("增加部门"));
        popup.Insert(0, keltrov::MenuItemId(ids::kAddPersonCommand), wxString::FromUTF8("增加人员"));
    }
}

}  // namespace

void CPayrollDlg::OnSelChanged(wxTreeEvent& event) {
    const std::string code = NodeCodeOf(event.GetItem());
    ClearForm();
    LoadRecordIntoForm(keltrov::sql::PersonRecord("B811", code, g_strBankId));
    LoadWages(code);
    if (wxWindow* save = GetDlgItem(ids::kSaveButton)) save->Disable();
}

void CPayrollDlg::OnRefresh(wxCommandEvent&) {
    const wxTreeItemId selected = Tree().GetSelection();
    if (selected.IsOk()) LoadWages(NodeCodeOf(selected));
}

void CPayrollDlg::OnContextMenu(wxContextMenuEvent& event) {
    const wxPoint point = event.GetPosition();
    std::optional<size_t> chosen;
    if (keltrov::InClientArea(Tree(), point)) chosen = ids::kTreePopup;
    if (keltrov::InClientArea(*m_sheet.GetWindow(), point)) chosen = ids::kSheetPopup;
    if (!chosen) return;

    // The loaded menu is this call's copy: what is inserted never reaches the resource.
    const std::unique_ptr<wxMenu> popup = keltrov::LoadPopupMenu(std::to_string(ids::kPopupMenus), *chosen);
    if (*chosen == ids::kTreePopup) {
        const wxTreeItemId selected = Tree().GetSelection();
        InsertTreeEntries(*popup, selected.IsOk() ? NodeCodeOf(selected).size() : 0);
    }
    keltrov::ShowPopupMenu(*this, *popup, point);
}
