// Holds the loader's reading of formulas filled down against parsing each text: where two texts
// read alike but for their relative rows, the first formula with its rows moved must be the second
// as parsed, printed the same. The texts are the input and the input copied some rows down, or
// two texts of the input (split at a line end), at rows its first two bytes pick.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sheet/errors.hpp"
#include "platform/sheet/formula.hpp"
#include "platform/sheet/formula_binder.hpp"

namespace {

using namespace keltrov::sheet;

std::optional<std::string> Printed(std::string_view text, ReferenceBinder& binder) {
    try {
        return PrintFormula(ParseFormula(text, binder));
    } catch (const FormulaError&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    int row = 1 + data[0] % 64;
    int below = row + 1 + data[1] % 64;
    std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    size_t split = input.find('\n');
    std::string first(input.substr(0, split));
    std::string second;
    if (split != std::string_view::npos) {
        second = std::string(input.substr(split + 1));
    } else {
        try {
            second = ShiftFormulaText(first, {below - row, 0});
        } catch (const FormulaError&) {
            return 0;
        }
    }
    std::string shape = RowRelativeText(first, row);
    if (shape.empty() || shape != RowRelativeText(second, below)) return 0;
    StandAloneBinder binder;
    Formula formula;
    try {
        formula = ParseFormula(first, binder);
    } catch (const FormulaError&) {
        return 0;
    }
    std::optional<Formula> moved = MoveRowsDown(formula, below - row, binder);
    if (!moved) return 0;
    std::optional<std::string> parsed = Printed(second, binder);
    if (!parsed || *parsed != PrintFormula(*moved)) {
        std::cerr << first << " at row " << row << " moved to " << below << ": " << PrintFormula(*moved) << "\n"
                  << second << " parsed: " << (parsed ? *parsed : "(refused)") << "\n";
        std::abort();
    }
    return 0;
}
