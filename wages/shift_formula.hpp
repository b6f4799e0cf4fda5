#pragma once
// A formula as it would stand one row further down: the row of every relative cell reference
// (one or two letters, then digits) is raised by one. An absolute row ($6) is left alone.
#include <string>

std::string ShiftFormulaRows(const std::string& formula);
