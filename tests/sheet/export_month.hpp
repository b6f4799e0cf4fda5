#pragma once
// A month of the demo wage sheet as the dialog shows it: the demo template, five persons' rows with
// their formulas filled down, the title merged over the first columns. Exported by the tests and by
// scripts/make-oracle.sh, which has LibreOffice recompute it.
#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet::testing {

inline constexpr int kMonthFirstRow = 6;
inline constexpr int kMonthPersons = 5;
inline constexpr int kMonthTotalsRow = 50;
inline constexpr int kMonthColumns = 26;

void LoadDemoTemplate(Workbook& book);
void FillDemoMonth(Workbook& book);

}  // namespace keltrov::sheet::testing
