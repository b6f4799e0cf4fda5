// Generating a month's wage rows and saving the sheet's rows, each in one transaction.
#include <wx/datectrl.h>

#include <algorithm>
#include <cmath>

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
constexpr const char* kAmountNotANumber = "第%s行的金额不是有效的数字";
// The picker's years: a four-digit year keeps the month keys in date order.
constexpr int kFirstWageYear = 1900;
constexpr int kLastWageYear = 9999;

void Run(const std::vector<std::string>& statements) {
    for (const std::string& statement : statements) g_pDatabase->ExecuteSQL(statement);
}

bool AmountsFinite(const WageRowValues& values) {
    return std::ranges::all_of(values.amounts, [](double amount) { return std::isfinite(amount); });
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
    std::vector<WageRowValues> rows;
    for (int r = kFirstDataRow; r <= m_nNextRow; ++r) {
        // Only the code is read first: a row without one is skipped.
        if (m_sheet.GetCellText(r, 1).empty()) continue;
        rows.push_back(SheetWageRow(r));
        // An amount that is no finite number has no decimal text: the save is refused before any write.
        if (!AmountsFinite(rows.back())) {
            keltrov::ShowMessage(
                FillMessage(kSaveWagesPolicy.errorMessage, FillMessage(kAmountNotANumber, std::to_string(r))));
            return;
        }
    }
    RunWrite(kSaveWagesPolicy, [&] { Run(SaveWageRowsStatements(key, rows)); });
}

void CPayrollDlg::LimitWageDateRange() {
    WageDatePicker().SetRange(wxDateTime(1, wxDateTime::Jan, kFirstWageYear),
                              wxDateTime(31, wxDateTime::Dec, kLastWageYear));
}
