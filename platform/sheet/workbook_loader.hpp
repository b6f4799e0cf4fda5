#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace keltrov::sheet {

class Workbook;

// Fills an empty workbook from the bytes of an .xlsx or .ods file (told apart by content):
// the first sheet's cells, formulas, number formats, bold and column widths.
// Throws AutomationError when the bytes hold no readable workbook.
void LoadWorkbookImage(Workbook& book, std::span<const uint8_t> image);

// OpenFormula text as ods stores it ("of:=SUM([.E6:.L6])") in the control's A1 form ("SUM(E6:L6)").
std::string OpenFormulaToA1(std::string_view formula);

}  // namespace keltrov::sheet
