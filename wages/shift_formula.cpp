#include "wages/shift_formula.hpp"

#include "platform/sheet/formula.hpp"
#include "platform/sheet/variant.hpp"

std::string ShiftFormulaRows(const std::string& formula) {
    try {
        return keltrov::sheet::ShiftFormulaText(formula, {1, 0});
    } catch (const keltrov::sheet::AutomationError&) {
        return "";
    }
}
