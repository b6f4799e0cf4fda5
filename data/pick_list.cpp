// Pick lists: values users collected for a combo-box column, some of them queries for values.
#include "data/dyn_recordset.hpp"
#include "data/list_query.hpp"
#include "data/write_pattern.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/db/database.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/sql_format.hpp"

namespace {

constexpr const char* kPickListQuery =
    "select * from usertabb001 where relationid='%s' and field_1 = '%s'  and  field_2 ='%s' ";
constexpr const char* kPickListInsert = "insert into usertabb001  values('%s','%s','%s','%s',%d,'%s','','','')";
constexpr const char* kMarkPickListColumn = "update usertabb200 set field_6='C' where field_8='%s' and field_2='%s' ";

}  // namespace

void CPayrollDlg::LoadPickList(int controlId, const std::string& reportId, const std::string& columnName) {
    CDynRecordset rows(g_pDatabase);
    rows.OpenSql(keltrov::FormatSql(kPickListQuery, g_strBankId, reportId, columnName));
    for (; !rows.IsEOF(); rows.MoveNext()) {
        const std::string value = rows.GetFieldValue(rows.GetFieldIndex("field_4")).AsText();
        if (IsListQuery(value)) {
            AddQueryItems(controlId, value);
        } else {
            AddComboItem(controlId, value);
        }
    }
}

void CPayrollDlg::OnInsertList(wxCommandEvent&) {
    const FieldBinding* field = MenuFieldEntry();
    if (field == nullptr) return;
    const FieldBinding& entry = *field;
    const wxWindow* control = GetDlgItem(entry.nControlId);
    const std::string text = control != nullptr ? keltrov::GetWindowText(*control) : std::string();
    if (text.empty()) return;
    const std::string now = keltrov::DateTime::Now().Format("%Y-%m-%d %H:%M");
    RunWrite(kInsertPickListPolicy, [&] {
        g_pDatabase->ExecuteSQL(
            keltrov::FormatSql(kPickListInsert, g_strBankId, now, m_strPersonReport, entry.strColumnName, 0, text));
        g_pDatabase->ExecuteSQL(keltrov::FormatSql(kMarkPickListColumn, m_strPersonReport, entry.strColumnName));
    });
}
