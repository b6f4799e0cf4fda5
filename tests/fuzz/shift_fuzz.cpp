// Moves the input formula one row down twice: by its text, and by its tokens as a fill-down of the
// sheet moves it. Both must give the same formula; a difference aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/sheet/errors.hpp"
#include "platform/sheet/formula.hpp"
#include "platform/sheet/workbook.hpp"

namespace {

using keltrov::sheet::SheetError;
using keltrov::sheet::Workbook;

constexpr int kRow = 5;
constexpr int kColumn = 3;

// A workbook with a second sheet, so that references to it bind.
void AddSecondSheet(Workbook& book) {
    book.AddSheet("Sheet2");
    book.SelectSheet(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Workbook filled;
    Workbook written;
    AddSecondSheet(filled);
    AddSecondSheet(written);
    try {
        filled.SetCellFormula(kRow, kColumn, text);
        written.SetCellFormula(kRow, kColumn, text);
        written.SetCellFormula(kRow + 1, kColumn, keltrov::sheet::ShiftFormulaText(text, {1, 0}));
    } catch (const SheetError&) {
        return 0;
    }
    filled.FillFormulasDown(kRow, kRow + 1, kColumn, kColumn);
    if (filled.GetCellFormula(kRow + 1, kColumn) != written.GetCellFormula(kRow + 1, kColumn) ||
        filled.GetCellText(kRow + 1, kColumn) != written.GetCellText(kRow + 1, kColumn)) {
        std::abort();
    }
    return 0;
}
