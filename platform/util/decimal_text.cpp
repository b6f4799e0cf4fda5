#include "platform/util/decimal_text.hpp"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
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

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

const char* SkipBlanks(const char* first, const char* last) {
    while (first != last && IsBlank(*first)) ++first;
    return first;
}

// A digit, or a point before one, after at most one minus sign: what decimal notation starts with.
bool StartsDecimal(const char* first, const char* last, bool minusAllowed) {
    if (minusAllowed && first != last && *first == '-') ++first;
    if (first != last && *first == '.') ++first;
    return first != last && IsDigit(*first);
}

constexpr int kExactDigits = 15;  // fewer than 2^53: every such integer is a double
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// A text that is nothing but a number of at most 15 digits, with or without a point, as amounts are
// stored: its digits as an integer divided once by a power of ten, both exact, so the quotient is the
// correctly rounded value. None for any other text.
std::optional<double> ShortPlainDecimal(const char* first, const char* last) {
    const bool negative = first != last && *first == '-';
    if (negative) ++first;
    int64_t digits = 0;
    int count = 0;
    int decimals = -1;  // none before a point
    for (; first != last; ++first) {
        if (IsDigit(*first)) {
            if (++count > kExactDigits) return std::nullopt;
            digits = digits * 10 + (*first - '0');
            if (decimals >= 0) ++decimals;
        } else if (*first == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0) return std::nullopt;
    const double value = static_cast<double>(digits) / kPowersOfTen[std::max(decimals, 0)];
    return negative ? -value : value;
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

std::optional<double> LeadingDecimalNumber(std::string_view text) {
    const char* last = text.data() + text.size();
    const char* first = SkipBlanks(text.data(), last);
    // from_chars takes no plus sign, and no infinity or nan once the text is known to start a decimal.
    const bool plus = first != last && *first == '+';
    if (plus) ++first;
    if (!StartsDecimal(first, last, !plus)) return std::nullopt;
    if (std::optional<double> quick = ShortPlainDecimal(first, last)) return quick;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc{}) return value;
    // Past the double's range from_chars leaves the value; strtod gives the infinity or zero callers expect.
    return std::strtod(std::string(first, end).c_str(), nullptr);
}

int32_t LeadingInteger(std::string_view text) {
    const char* last = text.data() + text.size();
    const char* first = SkipBlanks(text.data(), last);
    const bool negative = first != last && *first == '-';
    if (first != last && (*first == '+' || *first == '-')) ++first;
    if (first == last || !IsDigit(*first)) return 0;
    // Counting stops one past the largest value: either sign is then held to its end of the range.
    constexpr int64_t kBeyondRange = int64_t{INT32_MAX} + 1;
    int64_t value = 0;
    for (; first != last && IsDigit(*first); ++first) value = std::min(value * 10 + (*first - '0'), kBeyondRange);
    return static_cast<int32_t>(negative ? -value : std::min<int64_t>(value, INT32_MAX));
}

void AppendZeroPadded(std::string& text, long long value, size_t width) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const auto length = static_cast<size_t>(end - digits);
    if (length < width) text.append(width - length, '0');
    text.append(digits, length);
}

}  // namespace keltrov
