#include "wages/shift_formula.hpp"

namespace {

// Longer digit runs are no row number any sheet has; they are copied as they stand.
constexpr size_t kMaxRowDigits = 18;

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string ShiftFormulaRows(const std::string& formula) {
    std::string shifted;
    shifted.reserve(formula.size() + 8);
    size_t p = 0;
    while (p < formula.size()) {
        size_t letters = p;
        while (letters < formula.size() && IsAsciiLetter(formula[letters])) ++letters;
        const size_t letterCount = letters - p;
        if (letterCount == 0) {
            shifted += formula[p++];
            continue;
        }
        if (letterCount > 2) {
            shifted.append(formula, p, letterCount);
            p = letters;
            continue;
        }
        size_t digits = letters;
        while (digits < formula.size() && IsAsciiDigit(formula[digits])) ++digits;
        if (digits == letters) {
            shifted.append(formula, p, letterCount);
            p = letters;
        } else if ((digits < formula.size() && IsAsciiLetter(formula[digits])) || digits - letters > kMaxRowDigits) {
            // No reference starts here (A1B2, or an endless row): scanning resumes inside the run.
            shifted += formula[p++];
        } else {
            shifted.append(formula, p, letterCount);
            shifted += std::to_string(std::stoll(formula.substr(letters, digits - letters)) + 1);
            p = digits;
        }
    }
    return shifted;
}
