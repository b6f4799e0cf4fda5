// Parses the input as a formula typed into a cell, computes it and reads it back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/sheet/workbook.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    keltrov::sheet::Workbook book;
    book.SetCellNumber(1, 1, 3);
    book.SetCellText(2, 1, "x");
    try {
        book.SetCellFormula(3, 2, std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const keltrov::sheet::SheetError&) {
        return 0;
    }
    (void)book.GetCellText(3, 2);
    (void)book.GetCellFormula(3, 2);
    book.InsertRows(2);
    book.SetCellNumber(1, 1, 5);
    (void)book.GetCellText(4, 2);
    return 0;
}
