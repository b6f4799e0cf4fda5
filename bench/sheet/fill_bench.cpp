#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "host/template_tool.hpp"
#include "platform/sheet/automation.hpp"
#include "platform/sheet/formula.hpp"
#include "platform/sheet/workbook.hpp"
#include "platform/util/global_memory.hpp"

namespace keltrov::sheet {
namespace {

constexpr int kFirstDataRow = 6;
constexpr int kSpareRow = 49;
constexpr int kFirstAmountColumn = 5;
constexpr int kLastAmountColumn = 26;

Variant Call(Workbook& book, int id, InvokeKind kind, std::vector<Variant> args) {
    return InvokeSheet(book, {}, id, kind, args);
}

void LoadDemoTemplate(Workbook& book) {
    static const std::vector<unsigned char> image = BuildDemoWageTemplate();
    uint32_t handle = GlobalAlloc(image.size());
    std::memcpy(GlobalLock(handle).data(), image.data(), image.size());
    Call(book, dispid::kLoadFromMemory, InvokeKind::Method,
         {Variant::I4(static_cast<int32_t>(handle)), Variant::I2(0)});
    GlobalFree(handle);
}

void InsertRow(Workbook& book, int row) {
    Call(book, dispid::kInsertCells, InvokeKind::Method,
         {Variant::I4(row), Variant::I4(-1), Variant::I4(row), Variant::I4(-1), Variant::I4(kInsertWholeRows)});
}

// One employee per row, as the wage loader writes them: keys as text, amounts as numbers, and the
// formulas of the row copied one row down (that row inserted first once it reaches the spare row).
void FillRows(Workbook& book, int employees) {
    for (int i = 0; i < employees; ++i) {
        int row = kFirstDataRow + i;
        auto put = [&book, row](int id, int col, Variant value) {
            Call(book, id, InvokeKind::PropertyPut, {Variant::I4(row), Variant::I4(col), std::move(value)});
        };
        put(dispid::kCellText, 1, Variant::Bstr(std::to_string(100000 + i)));
        put(dispid::kCellText, 2, Variant::Bstr("员工" + std::to_string(i)));
        put(dispid::kCellText, 3, Variant::Bstr("部门" + std::to_string(i % 12)));
        put(dispid::kCellText, 4, Variant::Bstr("100001001001" + std::to_string(i)));
        if (row + 1 >= kSpareRow) {
            InsertRow(book, row + 1);
        }
        for (int col = kFirstAmountColumn; col <= kLastAmountColumn; ++col) {
            std::string formula =
                Call(book, dispid::kCellFormula, InvokeKind::PropertyGet, {Variant::I4(row), Variant::I4(col)})
                    .AsBstr();
            if (formula.empty()) {
                put(dispid::kCellNumber, col, Variant::R8(100.0 + (i % 50) + col));
            } else {
                Call(book, dispid::kCellFormula, InvokeKind::PropertyPut,
                     {Variant::I4(row + 1), Variant::I4(col), Variant::Bstr(ShiftFormulaText(formula, {1, 0}))});
            }
        }
    }
}

// The totals row sits below the filled rows, the spare row and the row prepared last.
double ReadTotals(Workbook& book, int employees) {
    int totalsRow = kFirstDataRow + employees + 2;
    double sum = 0.0;
    for (int col = kFirstAmountColumn; col <= kLastAmountColumn; ++col) {
        sum += book.GetCellNumber(totalsRow, col);
    }
    return sum;
}

// What the totals must come to: pay columns E..M and deductions O..X filled, N, Y and Z computed.
double ExpectedTotals(int employees) {
    double sum = 0.0;
    for (int i = 0; i < employees; ++i) {
        double pay = 0.0, deductions = 0.0;
        for (int col = 5; col <= 13; ++col) {
            pay += 100.0 + (i % 50) + col;
        }
        for (int col = 15; col <= 24; ++col) {
            deductions += 100.0 + (i % 50) + col;
        }
        sum += pay + pay + deductions + deductions + (pay - deductions);
    }
    return sum;
}

// Fills a freshly loaded demo template per iteration; the totals row must add up.
void FillDemoTemplate(benchmark::State& state, void (*fill)(Workbook&, int)) {
    int employees = static_cast<int>(state.range(0));
    double totals = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        Workbook book;
        LoadDemoTemplate(book);
        state.ResumeTiming();
        fill(book, employees);
        totals = ReadTotals(book, employees);
    }
    if (totals != ExpectedTotals(employees)) {
        state.SkipWithError("the totals row does not add up");
    }
    state.counters["rows"] = employees;
}

void BM_FillDemoTemplate(benchmark::State& state) {
    FillDemoTemplate(state, FillRows);
}
BENCHMARK(BM_FillDemoTemplate)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One employee's row of values, as the wage loader reads it: keys as text, amounts as numbers.
std::vector<Variant> WageRow(int i) {
    std::vector<Variant> values{Variant::Bstr(std::to_string(100000 + i)), Variant::Bstr("员工" + std::to_string(i)),
                                Variant::Bstr("部门" + std::to_string(i % 12)),
                                Variant::Bstr("100001001001" + std::to_string(i))};
    for (int col = kFirstAmountColumn; col <= kLastAmountColumn; ++col) {
        values.push_back(Variant::R8(100.0 + (i % 50) + col));
    }
    return values;
}

// The rows as the wage loader writes them now: the rows it needs inserted in one call, the template
// row's formulas filled down by their tokens, and each row's values in one call.
void PutRows(Workbook& book, std::vector<std::vector<Variant>> rows) {
    const int employees = static_cast<int>(rows.size());
    int lastRow = kFirstDataRow + employees - 1;
    if (lastRow >= kSpareRow) {
        Call(book, dispid::kInsertCells, InvokeKind::Method,
             {Variant::I4(kSpareRow), Variant::I4(-1), Variant::I4(lastRow + 1), Variant::I4(-1),
              Variant::I4(kInsertWholeRows)});
    }
    Call(book, dispid::kFillFormulasDown, InvokeKind::Method,
         {Variant::I4(kFirstDataRow), Variant::I4(lastRow), Variant::I4(kFirstAmountColumn),
          Variant::I4(kLastAmountColumn)});
    for (int i = 0; i < employees; ++i) {
        // Moved in one by one, as the plug-in's wrapper does: a braced list would copy the values.
        std::vector<Variant> args;
        args.reserve(3);
        args.push_back(Variant::I4(kFirstDataRow + i));
        args.push_back(Variant::I4(1));
        args.push_back(Variant::Array(std::move(rows[i])));
        Call(book, dispid::kSetRowValues, InvokeKind::Method, std::move(args));
    }
}

std::vector<std::vector<Variant>> WageRows(int employees) {
    std::vector<std::vector<Variant>> rows;
    rows.reserve(employees);
    for (int i = 0; i < employees; ++i) rows.push_back(WageRow(i));
    return rows;
}

void FillRowsAtOnce(Workbook& book, int employees) {
    PutRows(book, WageRows(employees));
}

void BM_FillDemoTemplateAtOnce(benchmark::State& state) {
    FillDemoTemplate(state, FillRowsAtOnce);
}
BENCHMARK(BM_FillDemoTemplateAtOnce)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

// What choosing a company asks of the sheet: the template put back over the rows of the company
// shown before, then the rows of the new one written; the rows' values are read beforehand.
void BM_ReloadAndFillDemoTemplate(benchmark::State& state) {
    const int employees = static_cast<int>(state.range(0));
    const std::vector<std::vector<Variant>> rows = WageRows(employees);
    Workbook book;
    LoadDemoTemplate(book);
    PutRows(book, rows);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::vector<Variant>> copy = rows;
        state.ResumeTiming();
        LoadDemoTemplate(book);
        PutRows(book, std::move(copy));
    }
    if (ReadTotals(book, employees) != ExpectedTotals(employees)) {
        state.SkipWithError("the totals row does not add up");
    }
    state.counters["rows"] = employees;
}
BENCHMARK(BM_ReloadAndFillDemoTemplate)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_RecalculateFilledSheet(benchmark::State& state) {
    int employees = static_cast<int>(state.range(0));
    Workbook book;
    LoadDemoTemplate(book);
    FillRows(book, employees);
    for (auto _ : state) {
        book.RecalculateAll();
        benchmark::DoNotOptimize(ReadTotals(book, employees));
    }
    if (ReadTotals(book, employees) != ExpectedTotals(employees)) {
        state.SkipWithError("the totals row does not add up");
    }
}
BENCHMARK(BM_RecalculateFilledSheet)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace keltrov::sheet
