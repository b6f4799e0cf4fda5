#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sheet/value.hpp"

namespace keltrov::sheet {

// A row of a sheet as references see it. References hold the row object, not its number, so
// inserting rows moves every reference below the insertion point without touching any formula.
struct RowAnchor {
    int index = 0;  // 1-based, kept current by the workbook
    int sheet = 0;  // position of the sheet in the workbook
};

struct CellRef {
    RowAnchor* row = nullptr;
    int column = 0;
    bool absoluteRow = false;
    bool absoluteColumn = false;
};

struct FunctionDef;

enum class Operator : uint8_t { Add, Sub, Mul, Div, Pow, Concat, Eq, Ne, Lt, Le, Gt, Ge };

enum class TokenKind : uint8_t {
    Number,
    String,
    Bool,
    Error,
    Missing,
    Ref,
    Range,
    Array,
    Name,
    Negate,
    Plus,
    Percent,
    Paren,
    Binary,
    Intersect,  // "A1:C3 B2:D4", binary
    Union,      // "(A1,C3)", binary
    Function
};

// How a range was written: A1:B2, A:B (whole columns) or 1:2 (whole rows).
enum class RangeShape : uint8_t { Cells, Columns, Rows };

// One step of a formula in reverse Polish order.
struct Token {
    TokenKind kind = TokenKind::Number;
    Operator op = Operator::Add;
    RangeShape shape = RangeShape::Cells;
    bool boolean = false;
    // An operator inside an argument that takes arrays (SUMPRODUCT's): it reads ranges whole even
    // in a formula that is no array formula, which intersects them with its own row or column.
    bool arrayContext = false;
    ErrorCode error = ErrorCode::Value;
    const FunctionDef* function = nullptr;  // null for a function the engine does not know
    uint32_t argumentCount = 0;
    double number = 0.0;
    std::string text;   // number as written, string contents, function name, or the name a Ref or Range was written as
    std::string sheet;  // Ref and Range on another sheet: its name as written; empty for the own sheet
    CellRef first;      // Ref and Range
    CellRef last;       // Range
    std::shared_ptr<const Matrix> array;  // Array
};

using Formula = std::vector<Token>;

// Gives the parser the row objects references are bound to.
class ReferenceBinder {
public:
    virtual ~ReferenceBinder() = default;
    // The row object of a 1-based row of the named sheet ("" is the formula's own sheet), created
    // when needed; null when the workbook has no sheet of that name.
    virtual RowAnchor* RowOf(std::string_view sheet, int row) = 0;
    // The reference a workbook-wide name stands for ("Sheet1!$A$1:$B$3"), if the name is defined.
    virtual std::optional<std::string> NameReference(std::string_view) { return std::nullopt; }
    // The two ends of a whole-column reference on the named sheet, which row insertion never moves.
    virtual std::pair<RowAnchor*, RowAnchor*> ColumnEnds(std::string_view sheet) = 0;
};

// Offsets applied to relative references while parsing, for formulas shared or filled down.
struct ReferenceShift {
    int rows = 0;
    int columns = 0;
};

// Deeper nesting of parentheses and function calls than any spreadsheet app writes is refused.
inline constexpr int kMaxFormulaNesting = 128;
inline constexpr size_t kMaxFormulaBytes = 32768;

// Parses A1-style formula text with or without a leading "="; throws FormulaError when it
// does not parse. The lexer, the binding of references and the printer are units of their own.
Formula ParseFormula(std::string_view text, ReferenceBinder& binder, ReferenceShift shift = {});

// The formula text without "=", as the control shows it.
std::string PrintFormula(const Formula& formula);

std::string PrintReference(const CellRef& ref);

// The formula text with its relative references moved by the shift, as when a formula is copied
// to another cell; throws FormulaError when the text does not parse.
std::string ShiftFormulaText(std::string_view text, ReferenceShift shift);

// The names of the functions the formula calls that the engine does not know, in order, once each.
std::vector<std::string> UnknownFunctions(const Formula& formula);

}  // namespace keltrov::sheet
