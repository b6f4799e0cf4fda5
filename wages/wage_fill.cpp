// Range fill: one column of the wage sheet over a range of rows, by text or by number.
#include <algorithm>
#include <cmath>
#include <optional>

#include "data/field_value.hpp"
#include "dialog/payroll_dlg.hpp"
#include "platform/sheet/value.hpp"
#include "platform/util/decimal_text.hpp"
#include "wages/fill_dlg.hpp"
#include "wages/wage_layout.hpp"

namespace {

// The code, name and department columns take text; the internal number and the amounts numbers.
constexpr long kFirstNumberColumn = 4;

struct RowRange {
    int first;
    int last;
};

// Empty fields give the data rows as loaded; rows off the sheet hold no cell and are left out.
RowRange RangeOf(const FillRequest& request, int nextRow) {
    const int start = request.startRow.empty() ? kFirstDataRow : keltrov::LeadingInteger(request.startRow);
    const int end = request.endRow.empty() ? nextRow : keltrov::LeadingInteger(request.endRow);
    return {std::max(start, 1), std::min(end, keltrov::sheet::kMaxRows)};
}

bool IsArithmetic(char op) {
    return op == '*' || op == '+' || op == '-' || op == '/';
}

// The cell's new number; none keeps the old one, as a wage amount is never infinite or undefined
// (a zero divisor, an overflow).
std::optional<double> Combine(char op, double value, double cell, bool before) {
    double result = 0.0;
    switch (op) {
        case '*': result = value * cell; break;
        case '+': result = value + cell; break;
        case '-': result = before ? value - cell : cell - value; break;
        default: result = before ? value / cell : cell / value; break;
    }
    if (!std::isfinite(result)) return std::nullopt;
    return result;
}

void FillNumbers(CF1Book& sheet, long column, RowRange rows, char op, const FillRequest& request) {
    const double value = LeadingDecimal(request.text);
    for (int r = rows.first; r <= rows.last; ++r) {
        const std::optional<double> result = Combine(op, value, sheet.GetCellNumber(r, column), request.before);
        if (result) sheet.SetCellNumber(r, column, *result);
    }
}

void WriteTexts(CF1Book& sheet, long column, RowRange rows, const std::string& text) {
    for (int r = rows.first; r <= rows.last; ++r) sheet.SetCellText(r, column, text);
}

void JoinTexts(CF1Book& sheet, long column, RowRange rows, const FillRequest& request) {
    for (int r = rows.first; r <= rows.last; ++r) {
        const std::string cell = sheet.GetCellText(r, column);
        sheet.SetCellText(r, column, request.before ? request.text + cell : cell + request.text);
    }
}

}  // namespace

void CPayrollDlg::OnFillRange(wxCommandEvent&) {
    long row = 0;
    long column = 0;
    m_sheet.GetCurrentCell(&row, &column);
    CFillDlg dialog;
    if (dialog.DoModal() != keltrov::kIdOk) return;
    const FillRequest& request = dialog.Request();
    const RowRange rows = RangeOf(request, m_nNextRow);
    const char op = request.op.empty() ? ' ' : request.op.front();
    if (!IsArithmetic(op)) {
        WriteTexts(m_sheet, column, rows, request.text);
    } else if (column >= kFirstNumberColumn) {
        FillNumbers(m_sheet, column, rows, op, request);
    } else {
        JoinTexts(m_sheet, column, rows, request);
    }
}
