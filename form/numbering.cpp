// A new record's starting values: the definition's defaults and the next numbers of marked columns.
#include <wx/datectrl.h>

#include <cstdio>

#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "data/write_pattern.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/ui/window_text.hpp"

namespace {

// The largest counter handed out; the request after it starts again at 1.
constexpr int32_t kLastCounter = 9999999;

CFieldValue& Column(CDynRecordset& row, const char* name) {
    return row.GetFieldValue(row.GetFieldIndex(name));
}

// The counter value this request hands out, with the sequence row advanced past it (or created).
int32_t DrawCounter(CDynRecordset& row, const std::string& reportId, const std::string& columnName) {
    if (row.IsEOF()) {
        row.AddNew();
        Column(row, "relationid").SetText(g_strBankId);
        Column(row, "field_1").SetText(reportId);
        Column(row, "field_2").SetText(columnName);
        Column(row, "field_3").SetLong(1);
        row.Update();
        return 0;
    }
    CFieldValue& counter = Column(row, "field_3");
    const int32_t current = counter.AsLong();
    const int32_t handedOut = current > kLastCounter ? 1 : current;
    row.Edit();
    counter.SetLong(handedOut + 1);
    row.Update();
    return handedOut;
}

std::string FormatNumber(const std::string& reportId, const std::string& columnName, int32_t counter) {
    const std::string suffix = columnName.size() > 2 ? columnName.substr(columnName.size() - 2) : columnName;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%.8d", counter);
    return reportId + suffix + digits;
}

}  // namespace

void CPayrollDlg::SetNewRecordDefaults(const std::string& reportId) {
    const keltrov::DateTime now = keltrov::DateTime::Now();
    if (!m_pBindings) return;
    for (const FieldBinding& entry : *m_pBindings) {
        if (entry.nControlId == 0) continue;
        const bool nowDefault = entry.strDefault == "now" || entry.strDefault == "tnow";
        if (entry.cInputStyle != 'D') {
            SetDlgItemText(entry.nControlId, entry.strDefault);
        } else if (entry.cControlKind == 'D') {
            auto* picker = dynamic_cast<wxDatePickerCtrl*>(GetDlgItem(entry.nControlId));
            if (picker != nullptr && nowDefault) picker->SetValue(keltrov::ToWxDateTime(now));
        } else if (nowDefault) {
            SetDlgItemText(entry.nControlId, now.Format(entry.strDefault == "now" ? "%Y-%m-%d" : "%Y-%m-%d %H:%M"));
        }
        if (!entry.strNumbering.empty()) SetDlgItemText(entry.nControlId, NextNumber(reportId, entry.strColumnName));
    }
}

std::string CPayrollDlg::NextNumber(const std::string& reportId, const std::string& columnName) {
    std::string number;
    RunWrite(kNextNumberPolicy, [&] {
        CDynRecordset row(g_pDatabase);
        row.OpenSql(keltrov::sql::NumberSequence(g_strBankId, reportId, columnName));
        number = FormatNumber(reportId, columnName, DrawCounter(row, reportId, columnName));
        const int control = ControlForColumn(ColumnNumberOf(columnName));
        if (control > 0) SetDlgItemText(control, number);
    });
    return number;
}
