// Generating a month's wage rows and saving the sheet's rows, each in one transaction.
#include <wx/datectrl.h>

#include "data/period_key.hpp"
#include "data/write_pattern.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/db/database.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/window_text.hpp"
#include "wages/wage_statements.hpp"

namespace {

constexpr const char* kConfirmGenerate = "本操作要删除本月工资,是否继续? ";

void Run(const std::vector<std::string>& statements) {
    for (const std::string& statement : statements) g_pDatabase->ExecuteSQL(statement);
}

}  // namespace

std::string CPayrollDlg::PickedMonthKey() const {
    return GetPeriodKey(keltrov::FromWxDateTime(WageDatePicker().GetValue()), "B812");
}

void CPayrollDlg::OnGenerateWages(wxCommandEvent&) {
    if (keltrov::ShowMessage(kConfirmGenerate, keltrov::MessageButtons::OkCancel) != keltrov::MessageAnswer::Ok) return;
    const std::string key = PickedMonthKey();
    RunWrite(kGenerateWagesPolicy, [&] { Run(GenerateMonthStatements(key, g_strBankId)); });
}

WageRowValues CPayrollDlg::SheetWageRow(int row) {
    WageRowValues values;
    for (int k = 1; k <= kTextColumns; ++k) values.texts[static_cast<size_t>(k - 1)] = m_sheet.GetCellText(row, k);
    for (int k = kTextColumns + 1; k <= kWageColumns; ++k)
        values.amounts[static_cast<size_t>(k - kTextColumns - 1)] = m_sheet.GetCellNumber(row, k);
    return values;
}

void CPayrollDlg::OnSaveWages(wxCommandEvent&) {
    const std::string key = PickedMonthKey();
    RunWrite(kSaveWagesPolicy, [&] {
        for (int r = kFirstDataRow; r <= m_nNextRow; ++r) {
            // Only the code is read first: a row without one is skipped.
            if (m_sheet.GetCellText(r, 1).empty()) continue;
            Run(SaveWageRowStatements(key, SheetWageRow(r)));
        }
    });
}
