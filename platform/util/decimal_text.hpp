#pragma once
// Fixed-point texts of numbers, rounded the way spreadsheet applications show them.
#include <string>

namespace keltrov {

// The finite number with `places` decimals and every digit of its whole part: its decimal value of
// 15 significant digits, rounded half away from zero, so 1.005 gives 1.01 where printf gives 1.00.
std::string FixedDecimalText(double number, int places);

}  // namespace keltrov
