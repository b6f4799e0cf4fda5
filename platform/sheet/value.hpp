#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keltrov::sheet {

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 702;  // A..ZZ

enum class ErrorCode : uint8_t { Div0, Value, Ref, Name, Num, NA, Circular };

// What a formula evaluates to, and what a cell reads as inside a formula.
struct Value {
    enum class Kind : uint8_t { Empty, Number, String, Bool, Error };

    Kind kind = Kind::Empty;
    bool boolean = false;
    ErrorCode error = ErrorCode::Value;
    double number = 0.0;
    std::string text;

    static Value Number(double n);
    static Value String(std::string s);
    static Value Bool(bool b);
    static Value Error(ErrorCode e);

    bool IsError() const { return kind == Kind::Error; }
};

// "#DIV/0!", "#VALUE!", ...; a circular reference shows as "#CIRC!".
std::string_view ErrorText(ErrorCode code);
std::optional<ErrorCode> ErrorFromText(std::string_view text);

// The number a whole text reads as (blanks around it allowed), as spreadsheet apps accept it.
std::optional<double> ParseNumber(std::string_view text);

// Column letters: 1 -> "A", 27 -> "AA"; 0 for letters that name no column of the sheet.
std::string ColumnName(int column);
int ColumnFromName(std::string_view letters);

}  // namespace keltrov::sheet
