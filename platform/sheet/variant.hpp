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

    static Variant I4(int32_t value);
    static Variant I2(int16_t value);
    static Variant R8(double value);
    static Variant Bstr(std::string value);
    static Variant Pi4(int32_t* value);
    // A one-dimensional array of variants, such as the values of a row.
    static Variant Array(std::vector<Variant> items);

    VariantType Type() const;

    // Each accessor throws AutomationError when the variant holds another type.
    int32_t AsI4() const;
    int16_t AsI2() const;
    double AsR8() const;
    const std::string& AsBstr() const;
    int32_t* AsPi4() const;
    const std::vector<Variant>& AsArray() const;

    bool operator==(const Variant&) const = default;

private:
    using Storage = std::variant<std::monostate, int32_t, int16_t, double, std::string, int32_t*, std::vector<Variant>>;
    explicit Variant(Storage storage) : storage_(std::move(storage)) {}

    Storage storage_;
};

const char* VariantTypeName(VariantType type);

}  // namespace keltrov::sheet
