// Loading a month's wage rows of every person under a node into the sheet.
#include <wx/datectrl.h>

#include "data/dyn_recordset.hpp"
#include "data/period_key.hpp"
#include "data/statements.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/window_text.hpp"
#include "wages/shift_formula.hpp"
#include "wages/wage_layout.hpp"

namespace {

constexpr int kFieldOffset = 2;  // relationid, inputdate and the self-filled column come first

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
    rows.OpenSql(keltrov::sql::MonthWages(key, nodeCode));
    // Formulas met in one row, shifted for the next; written once that row exists and is loaded.
    std::vector<std::string> carried(kWageColumns + 1);
    for (; !rows.IsEOF(); rows.MoveNext()) LoadWageRow(rows, carried);
}

void CPayrollDlg::LoadWageRow(CDynRecordset& rows, std::vector<std::string>& carried) {
    const int r = m_nNextRow;
    if (r >= m_nRowCapacity - 1) {
        m_sheet.InsertCells(r, -1, r, -1, 3);
        ++m_nRowCapacity;
    }
    for (int k = 1; k <= kTextColumns; ++k) m_sheet.SetCellText(r, k, rows.GetFieldValue(k + kFieldOffset).AsText());
    for (int k = kTextColumns + 1; k <= kWageColumns; ++k) {
        std::string& formula = carried[static_cast<size_t>(k)];
        if (!formula.empty()) m_sheet.SetCellFormula(r, k, formula);
        formula = m_sheet.GetCellFormula(r, k);
        if (formula.empty()) {
            m_sheet.SetCellNumber(r, k, rows.GetFieldValue(k + kFieldOffset).AsDouble());
        } else {
            formula = ShiftFormulaRows(formula);
        }
    }
    ++m_nNextRow;
}
