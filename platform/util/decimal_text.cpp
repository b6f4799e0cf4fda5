#include "platform/util/decimal_text.hpp"

#include <charconv>
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

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Where the digits starting at i end.
size_t SkipDigits(std::string_view text, size_t i) {
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

// Where an exponent starting at i ends; i itself when there is none.
size_t SkipExponent(std::string_view text, size_t i) {
    if (i >= text.size() || (text[i] != 'e' && text[i] != 'E')) return i;
    size_t k = i + 1;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    return k < text.size() && IsDigit(text[k]) ? SkipDigits(text, k) : i;
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
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const size_t wholeEnd = SkipDigits(text, i);
    bool anyDigit = wholeEnd > i;
    i = wholeEnd;
    if (i < text.size() && text[i] == '.') {
        const size_t fractionEnd = SkipDigits(text, i + 1);
        anyDigit = anyDigit || fractionEnd > i + 1;
        i = fractionEnd;
    }
    if (!anyDigit) return std::nullopt;
    i = SkipExponent(text, i);
    // from_chars reads without a copy or the locale; it takes no plus sign, and leaves values past
    // the double's range to strtod, whose infinity or zero the callers expect.
    const char* first = text.data() + start + (text[start] == '+' ? 1 : 0);
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, text.data() + i, value);
    if (error == std::errc{} && end == text.data() + i) return value;
    return std::strtod(std::string(text.substr(start, i - start)).c_str(), nullptr);
}

}  // namespace keltrov
