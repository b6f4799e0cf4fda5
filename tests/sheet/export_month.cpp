#include "tests/sheet/export_month.hpp"

#include <string>
#include <vector>

#include "host/template_tool.hpp"

namespace keltrov::sheet::testing {
namespace {

// Columns with formulas of their own (应发合计, 扣款合计, 实发工资) keep them; the loader skips none.
constexpr int kFirstAmountColumn = 5;

std::vector<Value> PersonRow(int person) {
    std::vector<Value> row{
        Value::String("10000" + std::to_string(person)), Value::String("员工" + std::to_string(person)),
        Value::String(person % 2 ? "财务部" : "行政部"), Value::String("B81" + std::to_string(person))};
    for (int column = kFirstAmountColumn; column <= kMonthColumns; ++column) {
        // Amounts with cents, different in every cell, so that a sum off by one cell shows.
        row.push_back(Value::Number(person * 1000 + column * 37.25 + (column % 3) * 0.01));
    }
    return row;
}

}  // namespace

void LoadDemoTemplate(Workbook& book) {
    const std::vector<unsigned char> image = BuildDemoWageTemplate();
    book.LoadImage({image.data(), image.size()});
}

void FillDemoMonth(Workbook& book) {
    LoadDemoTemplate(book);
    const int lastRow = kMonthFirstRow + kMonthPersons - 1;
    book.FillFormulasDown(kMonthFirstRow, lastRow, kFirstAmountColumn, kMonthColumns);
    for (int person = 1; person <= kMonthPersons; ++person) {
        book.SetRowValues(kMonthFirstRow + person - 1, 1, PersonRow(person));
    }
    book.SetCellText(2, 2, "演示公司");
    book.MergeCells({1, 1, 1, 4});
    book.MergeCells({2, 2, 2, 4});
}

}  // namespace keltrov::sheet::testing
