#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keltrov::sheet {

class Workbook;

// Fills an empty workbook from the bytes of an .xlsx, .xlsm or .ods file (told apart by content):
// every sheet's cells, formulas, names, number formats, bold and column widths. Returns one
// warning per feature of the file that was ignored. Throws LoadError, with the reason in
// the user's language, when the bytes hold no workbook that can be loaded.
std::vector<std::string> LoadWorkbookImage(Workbook& book, std::span<const uint8_t> image);

// OpenFormula text as ods stores it ("of:=SUM([.E6:.L6])") in the control's A1 form ("SUM(E6:L6)").
std::string OpenFormulaToA1(std::string_view formula);

}  // namespace keltrov::sheet
