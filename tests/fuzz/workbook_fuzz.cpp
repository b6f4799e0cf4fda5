// Loads the input as an .xlsx or .ods image and reads every cell it gave.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/sheet/workbook.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    keltrov::sheet::Workbook book;
    try {
        book.LoadImage(std::span(data, size));
    } catch (const keltrov::sheet::SheetError&) {
        return 0;
    }
    book.ForEachCell([&book](int row, int column) {
        (void)book.GetCellText(row, column);
        (void)book.GetCellFormula(row, column);
    });
    return 0;
}
