#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/util/calendar.hpp"

namespace keltrov::sheet {

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;  // A..XFD
// The longest text a cell holds, in characters, as in Excel.
inline constexpr size_t kMaxTextLength = 32767;

enum class ErrorCode : uint8_t { Div0, Value, Ref, Name, Num, NA, Null, Circular };

struct Matrix;

// What a formula evaluates to, and what a cell reads as inside a formula.
struct Value {
    enum class Kind : uint8_t { Empty, Number, String, Bool, Error, Array };

    Kind kind = Kind::Empty;
    bool boolean = false;
    ErrorCode error = ErrorCode::Value;
    double number = 0.0;
    std::string text;
    std::shared_ptr<const Matrix> array;

    static Value Number(double n);
    static Value String(std::string s);
    static Value Bool(bool b);
    static Value Error(ErrorCode e);
    static Value Array(Matrix m);

    bool IsError() const { return kind == Kind::Error; }
};

// A block of values, row by row: an array constant, a range read as an array, or an array result.
struct Matrix {
    int rows = 0;
    int columns = 0;
    std::vector<Value> cells;

    const Value& At(int row, int column) const { return cells[static_cast<size_t>(row) * columns + column]; }
};

// "#DIV/0!", "#VALUE!", ...; a circular reference shows as "#CIRC!".
std::string_view ErrorText(ErrorCode code);
std::optional<ErrorCode> ErrorFromText(std::string_view text);

// Serial dates count from 1899-12-30, or from 1904-01-01 in workbooks saved with 1904 dates.
enum class DateSystem : uint8_t { From1900, From1904 };

// What turns a serial date of the system into one counted from 1899-12-30.
inline double DaysBefore(DateSystem system) {
    return system == DateSystem::From1904 ? static_cast<double>(calendar::k1904Offset) : 0.0;
}

// Only a date, a time or both ("2024/3/1", "12:30", "2024-03-01 12:30") as a serial of the date system.
std::optional<double> ParseDateTime(std::string_view text, DateSystem dates);

// Only a plain decimal or scientific number, signed, blanks around it allowed: what typing into a
// cell and a number in a file or a formula are read as.
std::optional<double> ParsePlainNumber(std::string_view text);

// Days since 1899-12-30, the day Excel's serial dates count from (1900 dates after February 1900).
double SerialDate(long long year, long long month, long long day);

// The number a whole text reads as (blanks around it allowed), as Excel converts text: plain and
// scientific numbers, thousands separators ("1,000"), a percent sign ("50%"), a currency sign and
// dates and times in ISO or slash form ("2024-03-01", "2024/3/1 12:30", "12:30:15"), a date as a
// serial day of the given date system.
std::optional<double> ParseNumber(std::string_view text, DateSystem dates = DateSystem::From1900);

// A number as Excel turns it into text (what x&"" gives): 15 significant digits at most, in
// exponent form only outside 1E-9..1E15.
std::string NumberToText(double number);

// The number at 15 significant digits, as Excel compares and rounds.
double ToSignificant15(double number);

// Column letters: 1 -> "A", 27 -> "AA"; 0 for letters that name no column of the sheet.
std::string ColumnName(int column);
int ColumnFromName(std::string_view letters);

}  // namespace keltrov::sheet
