// Choosing a node, reloading its wages, and the context menus of the tree and the sheet.
#include <wx/menu.h>

#include <memory>

#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/menu_ids.hpp"
#include "platform/ui/menu_resource.hpp"
#include "platform/util/sql_format.hpp"

namespace {

constexpr int kSaveButtonId = 8001;
constexpr int kTreePopup = 1;
constexpr int kSheetPopup = 4;
constexpr const char* kPersonQuery = "select * from usertab%s where field_1='%s' and relationid='%s'";

// The additions a node of this code length offers, top first.
void InsertTreeEntries(wxMenu& popup, size_t codeLength) {
    popup.InsertSeparator(0);
    if (codeLength == 3) {
        popup.Insert(0, keltrov::MenuItemId(32772), wxString::FromUTF8("增加公司"));
        popup.Insert(0, keltrov::MenuItemId(32771), wxString::FromUTF8("增加部门"));
    } else if (codeLength == 0) {
        popup.Insert(0, keltrov::MenuItemId(32772), wxString::FromUTF8("增加公司"));
    } else {
        popup.Insert(0, keltrov::MenuItemId(32771), wxString::FromUTF8("增加部门"));
        popup.Insert(0, keltrov::MenuItemId(32773), wxString::FromUTF8("增加人员"));
    }
}

}  // namespace

void CPayrollDlg::OnSelChanged(wxTreeEvent& event) {
    const std::string code = NodeCodeOf(event.GetItem());
    ClearForm();
    LoadRecordIntoForm(keltrov::FormatSql(kPersonQuery, "B811", code, g_strBankId));
    LoadWages(code);
    if (wxWindow* save = GetDlgItem(kSaveButtonId)) save->Disable();
}

void CPayrollDlg::OnRefresh(wxCommandEvent&) {
    const wxTreeItemId selected = Tree().GetSelection();
    if (selected.IsOk()) LoadWages(NodeCodeOf(selected));
}

void CPayrollDlg::OnContextMenu(wxContextMenuEvent& event) {
    const wxPoint point = event.GetPosition();
    int chosen = -1;
    if (keltrov::InClientArea(Tree(), point)) chosen = kTreePopup;
    if (keltrov::InClientArea(*m_sheet.GetWindow(), point)) chosen = kSheetPopup;
    if (chosen < 0) return;

    // The loaded menu is this call's copy: what is inserted never reaches the resource.
    const std::unique_ptr<wxMenu> popup = keltrov::LoadPopupMenu("8000", static_cast<size_t>(chosen));
    if (chosen == kTreePopup) {
        const wxTreeItemId selected = Tree().GetSelection();
        InsertTreeEntries(*popup, selected.IsOk() ? NodeCodeOf(selected).size() : 0);
    }
    keltrov::ShowPopupMenu(*this, *popup, point);
}
