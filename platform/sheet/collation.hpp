#pragma once
// Text order as the spreadsheet applications of a Chinese system have it: Chinese by pinyin,
// Latin by letter, digits before letters before Chinese, case ignored throughout.
#include <string>
#include <string_view>

namespace keltrov::sheet {

// Negative, zero or positive as a sorts before, with or after b (both UTF-8); texts that differ
// only in case are equal, marks and width break ties between texts otherwise alike.
int CompareText(std::string_view a, std::string_view b);
// Text folded for case-insensitive matching, across Unicode (UTF-8) text.
std::string FoldCase(std::string_view text);

}  // namespace keltrov::sheet
