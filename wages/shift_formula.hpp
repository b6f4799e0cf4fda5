#pragma once
// A formula as it would stand one row further down, moved by the sheet engine exactly as a
// spreadsheet fills a formula down: every relative row reference moves by one; absolute rows ($6),
// numbers such as 1E5, strings and names stay. Empty for text the engine cannot parse, so that
// nothing is carried down from such a cell.
#include <string>

std::string ShiftFormulaRows(const std::string& formula);
