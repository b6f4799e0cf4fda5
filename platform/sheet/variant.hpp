#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace keltrov::sheet {

// Raised for every call the control refuses: unknown operation, wrong arguments, bad data.
class AutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class InvokeKind { Method = 1, PropertyGet = 2, PropertyPut = 4 };

enum class VariantType { Empty, I4, I2, R8, BSTR, PI4, Array };

// An automation argument or result; built only through the named makers so an int is never
// silently taken for a short.
class Variant {
public:
    Variant() = default;

    // Defined here, so that building and reading the many values of a loaded sheet costs no calls.
    static Variant I4(int32_t value) { return Variant(Storage(std::in_place_type<int32_t>, value)); }
    static Variant I2(int16_t value) { return Variant(Storage(std::in_place_type<int16_t>, value)); }
    static Variant R8(double value) { return Variant(Storage(std::in_place_type<double>, value)); }
    static Variant Bstr(std::string value) {
        return Variant(Storage(std::in_place_type<std::string>, std::move(value)));
    }
    static Variant Pi4(int32_t* value) { return Variant(Storage(std::in_place_type<int32_t*>, value)); }
    // A one-dimensional array of variants, such as the values of a row.
    static Variant Array(std::vector<Variant> items) {
        return Variant(Storage(std::in_place_type<std::vector<Variant>>, std::move(items)));
    }

    // The storage alternatives are declared in VariantType order.
    VariantType Type() const { return static_cast<VariantType>(storage_.index()); }

    // Each accessor throws AutomationError when the variant holds another type.
    int32_t AsI4() const { return Get<int32_t>(VariantType::I4); }
    int16_t AsI2() const { return Get<int16_t>(VariantType::I2); }
    double AsR8() const { return Get<double>(VariantType::R8); }
    const std::string& AsBstr() const { return Get<std::string>(VariantType::BSTR); }
    int32_t* AsPi4() const { return Get<int32_t*>(VariantType::PI4); }
    const std::vector<Variant>& AsArray() const { return Get<std::vector<Variant>>(VariantType::Array); }

    bool operator==(const Variant&) const = default;

private:
    using Storage = std::variant<std::monostate, int32_t, int16_t, double, std::string, int32_t*, std::vector<Variant>>;
    explicit Variant(Storage storage) : storage_(std::move(storage)) {}

    template <typename T>
    const T& Get(VariantType wanted) const {
        if (const T* value = std::get_if<T>(&storage_)) return *value;
        ThrowWrongType(wanted);
    }
    [[noreturn]] void ThrowWrongType(VariantType wanted) const;

    Storage storage_;
};

const char* VariantTypeName(VariantType type);

}  // namespace keltrov::sheet
