#include "wages/shift_formula.hpp"

#include "platform/sheet/errors.hpp"
#include "platform/sheet/formula.hpp"

std::string ShiftFormulaRows(const std::string& formula) {
    try {
        return keltrov::sheet::ShiftFormulaText(formula, {1, 0});
    } catch (const keltrov::sheet::FormulaError&) {
        return "";
    }
}
