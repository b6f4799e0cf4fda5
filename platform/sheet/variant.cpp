#include "platform/sheet/variant.hpp"

namespace keltrov::sheet {
namespace {

template <typename T>
const T& Get(const auto& storage, VariantType wanted, VariantType actual) {
    if (const T* value = std::get_if<T>(&storage)) {
        return *value;
    }
    throw AutomationError(std::string("argument of type ") + VariantTypeName(actual) + " where " +
                          VariantTypeName(wanted) + " is required");
}

}  // namespace

Variant Variant::I4(int32_t value) {
    return Variant(Storage(std::in_place_type<int32_t>, value));
}
Variant Variant::I2(int16_t value) {
    return Variant(Storage(std::in_place_type<int16_t>, value));
}
Variant Variant::R8(double value) {
    return Variant(Storage(std::in_place_type<double>, value));
}
Variant Variant::Bstr(std::string value) {
    return Variant(Storage(std::in_place_type<std::string>, std::move(value)));
}
Variant Variant::Pi4(int32_t* value) {
    return Variant(Storage(std::in_place_type<int32_t*>, value));
}
Variant Variant::Array(std::vector<Variant> items) {
    return Variant(Storage(std::in_place_type<std::vector<Variant>>, std::move(items)));
}

// The storage alternatives are declared in VariantType order.
VariantType Variant::Type() const {
    return static_cast<VariantType>(storage_.index());
}

int32_t Variant::AsI4() const {
    return Get<int32_t>(storage_, VariantType::I4, Type());
}
int16_t Variant::AsI2() const {
    return Get<int16_t>(storage_, VariantType::I2, Type());
}
double Variant::AsR8() const {
    return Get<double>(storage_, VariantType::R8, Type());
}
const std::string& Variant::AsBstr() const {
    return Get<std::string>(storage_, VariantType::BSTR, Type());
}
int32_t* Variant::AsPi4() const {
    return Get<int32_t*>(storage_, VariantType::PI4, Type());
}
const std::vector<Variant>& Variant::AsArray() const {
    return Get<std::vector<Variant>>(storage_, VariantType::Array, Type());
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
