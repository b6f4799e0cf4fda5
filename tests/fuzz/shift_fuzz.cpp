// Moves the input formula one row down, as the wage load carries a template row's formulas.
#include <cstddef>
#include <cstdint>
#include <string>

#include "wages/shift_formula.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)ShiftFormulaRows(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
