// Workbooks built to exhaust a careless engine: many formulas over tall ranges, tens of thousands
// of distinct number formats, and texts that double with every row.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {
namespace {

double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// 20,000 formulas, each summing 5,000 rows of a 6,000-row column; then one edit and a reread.
void BM_FormulasOverTallRanges(benchmark::State& state) {
    for (auto _ : state) {
        Workbook book;
        for (int r = 1; r <= 6000; ++r) book.SetCellNumber(r, 1, r);
        for (int i = 1; i <= 20000; ++i) {
            int first = i % 1000 + 1;
            book.SetCellFormula(i, 2, "SUM(A" + std::to_string(first) + ":A" + std::to_string(first + 4999) + ")");
        }
        book.RecalculateAll();
        book.SetCellNumber(3000, 1, 0);
        benchmark::DoNotOptimize(book.GetCellNumber(20000, 2));
    }
    state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_FormulasOverTallRanges)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_DistinctNumberFormats(benchmark::State& state) {
    for (auto _ : state) {
        Workbook book;
        for (int i = 0; i < 65000; ++i) book.SetNumberFormat(i + 1, 1, "0.00\"" + std::to_string(i) + "\"");
        benchmark::DoNotOptimize(book.GetStyle(65000, 1));
    }
}
BENCHMARK(BM_DistinctNumberFormats)->Unit(benchmark::kMillisecond)->Iterations(1);

// A2=A1&A1, A3=A2&A2, ...: without a cap the 40th row would hold a trillion characters.
void BM_DoublingTexts(benchmark::State& state) {
    for (auto _ : state) {
        Workbook book;
        book.SetCellText(1, 1, "ab");
        for (int r = 2; r <= 40; ++r)
            book.SetCellFormula(r, 1, "A" + std::to_string(r - 1) + "&A" + std::to_string(r - 1));
        benchmark::DoNotOptimize(book.GetCellText(40, 1));
    }
    state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_DoublingTexts)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace keltrov::sheet
