// Deleting a node with its whole subtree: one prefix delete per table, persons first, in one batch.
#include <wx/treectrl.h>

#include "data/statements.hpp"
#include "data/write_pattern.hpp"
#include "dialog/payroll_dlg.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/window_text.hpp"

namespace {

constexpr const char* kConfirmDelete = "是否真的要删除%s? \n该公司下的所有人员部门将全部删除";

}  // namespace

void CPayrollDlg::OnDelete(wxCommandEvent&) {
    const wxTreeItemId selected = Tree().GetSelection();
    if (!selected.IsOk()) return;
    const std::string code = NodeCodeOf(selected);
    if (code.empty()) return;
    const std::string text = keltrov::FromWx(Tree().GetItemText(selected));
    if (keltrov::ShowMessage(FillMessage(kConfirmDelete, text), keltrov::MessageButtons::OkCancel) !=
        keltrov::MessageAnswer::Ok)
        return;
    if (!ExecBatch({keltrov::sql::DeletePersonsUnder(code), keltrov::sql::DeleteOrganisationUnder(code)})) return;
    Tree().Delete(selected);
    Refresh();
}
