#pragma once

#include <memory>
#include <memory_resource>
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
    // "INDEX(A1:A5,2):A4", binary: the block spanning two computed references. Its first and last
    // hold the block of every reference its operands name on the result's sheet, which the result
    // lies in, so that edits there reach the formula; no row there when its operands name none.
    Extent,
    Function
};

// How a range was written: A1:B2, A:B (whole columns) or 1:2 (whole rows).
enum class RangeShape : uint8_t { Cells, Columns, Rows };

// What few tokens carry besides their kind and place: text as written, the sheet of a reference,
// an array constant. Most references carry none, so tokens hold them apart and stay small.
struct TokenWords {
    std::string text;
    std::string sheet;
    std::shared_ptr<const Matrix> array;
};

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
    uint32_t argumentCount = 0;  // Function
    union {
        double number = 0.0;          // Number
        const FunctionDef* function;  // Function: null for a function the engine does not know
    };
    CellRef first;                      // Ref, Range and Extent
    CellRef last;                       // Range and Extent
    std::shared_ptr<TokenWords> words;  // shared by copies; Words() copies it before a change

    // The number as written, string contents, the name of a function the engine does not know, or
    // the name a Ref or Range was written as.
    const std::string& Text() const { return words ? words->text : NoText(); }
    // Ref and Range on another sheet: its name as written; empty for the own sheet.
    const std::string& Sheet() const { return words ? words->sheet : NoText(); }
    const std::shared_ptr<const Matrix>& Array() const {
        static const std::shared_ptr<const Matrix> kNone;
        return words ? words->array : kNone;
    }
    TokenWords& Words() {
        words = !words                  ? std::make_shared<TokenWords>()
                : words.use_count() > 1 ? std::make_shared<TokenWords>(*words)
                                        : words;
        return *words;
    }

private:
    static const std::string& NoText() {
        static const std::string kNone;
        return kNone;
    }
};

// Its memory is chosen when it is made: a sheet's formula's tokens live in the sheet's pool.
using Formula = std::pmr::vector<Token>;

// Whether the token reads a block of cells whose edits the formula must hear of: a range, or the
// block a computed extent may span.
inline bool NamesBlock(const Token& token) {
    return token.kind == TokenKind::Range || (token.kind == TokenKind::Extent && token.first.row);
}

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
