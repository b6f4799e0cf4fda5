#include "platform/sheet/variant.hpp"

namespace keltrov::sheet {

void Variant::ThrowWrongType(VariantType wanted) const {
    throw AutomationError(std::string("argument of type ") + VariantTypeName(Type()) + " where " +
                          VariantTypeName(wanted) + " is required");
}

const char* VariantTypeName(VariantType type) {
    switch (type) {
        case VariantType::Empty: return "EMPTY";
        case VariantType::I4: return "I4";
        case VariantType::I2: return "I2";
        case VariantType::R8: return "R8";
        case VariantType::BSTR: return "BSTR";
        case VariantType::PI4: return "PI4";
        case VariantType::Array: return "ARRAY";
    }
    return "?";
}

}  // namespace keltrov::sheet
