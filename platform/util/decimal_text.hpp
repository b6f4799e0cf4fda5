#pragma once
// Fixed-point texts of numbers, rounded the way spreadsheet applications show them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keltrov {

// The finite number with `places` decimals and every digit of its whole part: its decimal value of
// 15 significant digits, rounded half away from zero, so 1.005 gives 1.01 where printf gives 1.00.
std::string FixedDecimalText(double number, int places);

// The number a text starts with in plain decimal notation (blanks skipped, an optional sign, digits,
// a point, an exponent), read exactly; none when it starts with no digit. Hexadecimal, infinity and
// nan spellings are not numbers here.
std::optional<double> LeadingDecimalNumber(std::string_view text);

// The whole number a text starts with (blanks skipped, an optional sign, digits), held to the range of a
// 32-bit integer; 0 when it starts with no digit.
int32_t LeadingInteger(std::string_view text);

// Appends the integer's digits, with zeros in front up to `width` characters.
void AppendZeroPadded(std::string& text, long long value, size_t width);

}  // namespace keltrov
