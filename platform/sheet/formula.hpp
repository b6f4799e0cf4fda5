#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sheet/value.hpp"

namespace keltrov::sheet {

// A row of the sheet as references see it. References hold the row object, not its number, so
// inserting rows moves every reference below the insertion point without touching any formula.
struct RowAnchor {
    int index = 0;  // 1-based, kept current by the workbook
};

struct CellRef {
    RowAnchor* row = nullptr;
    int column = 0;
    bool absoluteRow = false;
    bool absoluteColumn = false;
};

enum class FunctionId : uint8_t {
    Unknown,
    Sum,
    Average,
    Min,
    Max,
    Count,
    CountA,
    Round,
    RoundUp,
    RoundDown,
    Int,
    Abs,
    Mod,
    If,
    And,
    Or,
    Not,
    IfError
};

enum class Operator : uint8_t { Add, Sub, Mul, Div, Pow, Concat, Eq, Ne, Lt, Le, Gt, Ge };

enum class TokenKind : uint8_t {
    Number,
    String,
    Bool,
    Error,
    Missing,
    Ref,
    Range,
    Name,
    Negate,
    Plus,
    Percent,
    Paren,
    Binary,
    Function
};

// One step of a formula in reverse Polish order.
struct Token {
    TokenKind kind = TokenKind::Number;
    Operator op = Operator::Add;
    FunctionId function = FunctionId::Unknown;
    bool boolean = false;
    ErrorCode error = ErrorCode::Value;
    uint16_t argumentCount = 0;
    double number = 0.0;
    std::string text;  // number as written, string contents, name, or function name
    CellRef first;     // Ref and Range
    CellRef last;      // Range
};

using Formula = std::vector<Token>;

// Gives the row object for a 1-based row number (creating it when needed).
using RowResolver = std::function<RowAnchor*(int row)>;

// Offsets applied to relative references while parsing, for formulas shared down a column.
struct ReferenceShift {
    int rows = 0;
    int columns = 0;
};

// Parses A1-style formula text with or without a leading "="; throws AutomationError when it
// does not parse.
Formula ParseFormula(std::string_view text, const RowResolver& rowAt, ReferenceShift shift = {});

// The formula text without "=", as the control shows it.
std::string PrintFormula(const Formula& formula);

std::string PrintReference(const CellRef& ref);

// The formula text with its relative references moved by the shift, as when a formula is copied
// to another cell; throws AutomationError when the text does not parse.
std::string ShiftFormulaText(std::string_view text, ReferenceShift shift);

}  // namespace keltrov::sheet
