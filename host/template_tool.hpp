#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

struct lxw_workbook;

namespace keltrov {

// The bytes of the .xlsx file that `write` fills through libxlsxwriter (via a temporary file).
std::vector<unsigned char> WriteXlsxImage(const std::function<void(lxw_workbook*)>& write);

// The bytes of a demo wage template (.xlsx): captions in rows 1-5, one data row (6) with the
// total formulas, rows 7-49 empty, and a totals row (50) summing rows 6-49.
std::vector<unsigned char> BuildDemoWageTemplate();

// Loads a template the way the wage dialog does and lists every non-empty cell of its first sheet
// as "row\tcolumn\ttext\tnumber\tformula\n", then one "警告: ..." line per unknown function and
// per feature of the file that was ignored; returns 0, or non-zero after writing the reason to err.
// Throws, with the reason in the user's language, when the bytes are no template the sheet loads.
void CheckTemplateImage(const std::vector<unsigned char>& bytes);

int CheckTemplate(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace keltrov
