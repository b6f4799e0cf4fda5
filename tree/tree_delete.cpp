// Deleting a node with its whole subtree: one prefix delete per table, persons first, in one batch.
#include <wx/treectrl.h>

#include "data/write_pattern.hpp"
#include "dialog/payroll_dlg.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/sql_format.hpp"

namespace {

constexpr const char* kConfirmDelete = "是否真的要删除%s? \n该公司下的所有人员部门将全部删除";
constexpr const char* kDeletePersons = "delete from usertabb811 where field_1 like '%s%%' escape '!'";
constexpr const char* kDeleteOrganisation = "delete from usertabb810 where field_1 like '%s%%' escape '!'";

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
    const std::string prefix = keltrov::EscapeLikeText(code);
    if (!ExecBatch({keltrov::FormatSql(kDeletePersons, prefix), keltrov::FormatSql(kDeleteOrganisation, prefix)}))
        return;
    Tree().Delete(selected);
    Refresh();
}
