#pragma once

#include <string>
#include <string_view>

#include "platform/sheet/value.hpp"

namespace keltrov::sheet {

// "General": integers without decimals, other numbers with up to 10 significant digits.
std::string FormatGeneral(double number);

// Formats a number with an xlsx-style format code such as "0.00", "#,##0.00" or "0%";
// an empty code or "General" gives FormatGeneral. Dates count in the workbook's date system.
std::string FormatNumber(double number, std::string_view formatCode, DateSystem dates = DateSystem::From1900);

// The code of an xlsx built-in number format id ("0.00" for 2); empty when not known.
std::string_view BuiltinNumberFormat(size_t id);

}  // namespace keltrov::sheet
