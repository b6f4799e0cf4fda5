#include "platform/util/decimal_text.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace keltrov {

namespace {

constexpr int kSignificantDigits = 15;

// Adds one to the last digit of a decimal digit string; true when the carry runs out at the front.
bool IncrementDigits(std::string& digits) {
    for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit) {
        if (*digit != '9') {
            ++*digit;
            return false;
        }
        *digit = '0';
    }
    return true;
}

}  // namespace

std::string FixedDecimalText(double number, int places) {
    // "d.ddddddddddddddde±x": the 15 significant digits and the power of ten of the first one.
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.*e", kSignificantDigits - 1, std::fabs(number));
    std::string digits = scientific[0] + std::string(scientific + 2, kSignificantDigits - 1);
    long point = std::strtol(scientific + kSignificantDigits + 2, nullptr, 10) + 1;
    if (point < 1) {
        digits.insert(0, static_cast<size_t>(1 - point), '0');
        point = 1;
    }
    const size_t kept = static_cast<size_t>(point + places);
    if (digits.size() <= kept) digits.append(kept + 1 - digits.size(), '0');
    const bool roundUp = digits[kept] >= '5';
    digits.resize(kept);
    if (roundUp && IncrementDigits(digits)) {
        digits.insert(0, 1, '1');
        ++point;
    }
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string text = number < 0 && !zero ? "-" : "";
    text += digits.substr(0, static_cast<size_t>(point));
    if (places > 0) text += "." + digits.substr(static_cast<size_t>(point));
    return text;
}

}  // namespace keltrov
