// Pick lists: values users collected for a combo-box column, some of them queries for values.
#include "data/dyn_recordset.hpp"
#include "data/list_query.hpp"
#include "data/statements.hpp"
#include "data/write_pattern.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/db/database.hpp"
#include "platform/ui/window_text.hpp"

void CPayrollDlg::LoadPickList(int controlId, const std::string& reportId, const std::string& columnName) {
    CDynRecordset rows(g_pDatabase);
    rows.OpenSql(keltrov::sql::PickList(g_strBankId, reportId, columnName));
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
            keltrov::sql::InsertPickListItem(g_strBankId, now, m_strPersonReport, entry.strColumnName, 0, text));
        g_pDatabase->ExecuteSQL(keltrov::sql::MarkPickListColumn(m_strPersonReport, entry.strColumnName));
    });
}
