// Loading a month's wage rows of every person under a node into the sheet.
#include <wx/datectrl.h>

#include <algorithm>

#include "data/dyn_recordset.hpp"
#include "data/period_key.hpp"
#include "data/statements.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/window_text.hpp"
#include "wages/wage_layout.hpp"

using keltrov::sheet::Variant;

namespace {

constexpr int kFieldOffset = 2;  // relationid, inputdate and the self-filled column come first

// The person's code, name, department and internal number as texts, the amounts as numbers.
std::vector<Variant> ReadWageRow(CDynRecordset& rows) {
    std::vector<Variant> values;
    values.reserve(kWageColumns);
    for (int k = 1; k <= kTextColumns; ++k)
        values.push_back(Variant::Bstr(rows.GetFieldValue(k + kFieldOffset).AsText()));
    for (int k = kTextColumns + 1; k <= kWageColumns; ++k)
        values.push_back(Variant::R8(rows.GetFieldValue(k + kFieldOffset).AsDouble()));
    return values;
}

}  // namespace

void CPayrollDlg::ResetSheet() {
    m_nNextRow = kFirstDataRow;
    m_nRowCapacity = kTemplateRowCapacity;
    if (m_templateImage.Handle() != 0) {
        m_sheet.LoadFromMemory(static_cast<long>(m_templateImage.Handle()), 0);
    } else {
        // Without a stored template the design-time sheet comes back, so no earlier rows stay.
        m_sheet.GetWindow()->RestoreDesignWorkbook();
    }
}

void CPayrollDlg::LoadWages(const std::string& nodeCode) {
    const keltrov::DateTime month = keltrov::FromWxDateTime(WageDatePicker().GetValue());
    const std::string key = GetPeriodKey(month, "B812");
    ResetSheet();
    CDynRecordset rows(g_pDatabase);
    rows.FetchAsNumbers(kTextColumns + kFieldOffset + 1, kWageColumns + kFieldOffset);
    rows.OpenSql(keltrov::sql::MonthWages(key, nodeCode));
    std::vector<std::vector<Variant>> wageRows;
    try {
        for (; !rows.IsEOF(); rows.MoveNext()) wageRows.push_back(ReadWageRow(rows));
    } catch (...) {
        // A failed fetch still leaves the rows read before it in the sheet.
        PutWageRows(std::move(wageRows));
        throw;
    }
    PutWageRows(std::move(wageRows));
}

// Rows from the template's last free row down are inserted in one block, so that the template's
// rows below stay below the data; the template's formulas are carried down through the new rows,
// and the amounts go only into cells without a formula.
void CPayrollDlg::PutWageRows(std::vector<std::vector<Variant>> wageRows) {
    if (wageRows.empty()) return;
    const int firstRow = m_nNextRow;
    const int lastRow = firstRow + static_cast<int>(wageRows.size()) - 1;
    const int firstInserted = std::max(firstRow, m_nRowCapacity - 1);
    if (lastRow >= firstInserted) {
        m_sheet.InsertCells(firstInserted, -1, lastRow, -1, keltrov::sheet::kInsertWholeRows);
        m_nRowCapacity += lastRow - firstInserted + 1;
    }
    m_sheet.FillFormulasDown(firstRow, lastRow, kTextColumns + 1, kWageColumns);
    for (std::vector<Variant>& values : wageRows) m_sheet.SetRowValues(m_nNextRow++, 1, std::move(values));
}
