#pragma once

// The engine's functions and the helpers they share; private to the formula engine.

#include <forward_list>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sheet/collation.hpp"
#include "platform/sheet/evaluator.hpp"

namespace keltrov::sheet {

// A stack entry: a value, or a reference still to be read (functions treat the two differently).
// A union of references "(A1,C1:C3)" lists its areas; as a single value it is #VALUE!.
struct Operand {
    Operand() = default;
    Operand(Value v, const Token* reference = nullptr) : value(std::move(v)), ref(reference) {}  // NOLINT: implicit

    Value value;
    const Token* ref = nullptr;
    std::vector<const Token*> areas;
};

using Args = std::span<const Operand>;
using FunctionImpl = Value (*)(Args args, const CellSource& source);

// References a formula computes while it is evaluated (intersections, INDEX's), kept until it ends.
class MadeReferences {
public:
    const Token& Add(Token token) { return tokens_.emplace_front(std::move(token)); }
    // A row of a sheet by position, for a reference inside a block whose rows the workbook may not hold.
    RowAnchor* Row(int sheet, int index) { return &rows_.emplace_front(RowAnchor{index, sheet}); }

private:
    // Lists keep their addresses and, unlike deques, take no memory while empty, as for most formulas.
    std::forward_list<Token> tokens_;
    std::forward_list<RowAnchor> rows_;
};

// A function that may give a reference rather than a value.
using ReferenceImpl = Operand (*)(Args args, const CellSource& source, MadeReferences& made);

struct FunctionDef {
    std::string_view name;
    int minArgs;
    int maxArgs;
    FunctionImpl call;
    bool takesArrays = false;           // ranges in arithmetic of its arguments are read whole
    ReferenceImpl reference = nullptr;  // called instead of `call` when set
};

inline constexpr int kManyArgs = 255;

// The function of that (upper-case) name, or null.
const FunctionDef* FindFunction(std::string_view upperName);

std::span<const FunctionDef> MathFunctions();
std::span<const FunctionDef> LogicFunctions();
std::span<const FunctionDef> TextFunctions();
std::span<const FunctionDef> DateFunctions();

// --- reading operands ---
// The operand as one value: a cell's value, an array's first element; a range gives #VALUE!.
Value Scalar(const Operand& operand, const CellSource& source);
// The operand as a block of values: a range's cells (whole columns cut at the last used row),
// an array, or a single value as a 1x1 block.
Matrix ToMatrix(const Operand& operand, const CellSource& source);
// Visits every value of the operand: each non-empty cell of a reference, each element of an
// array (both with fromBlock set), or the value itself.
void ForEachValue(const Operand& operand, const CellSource& source,
                  const std::function<void(const Value&, bool fromBlock)>& visit);

// --- conversions, as Excel converts ---
// Text reads as a number as ParseNumber reads it, a date as a serial day of the date system.
Value ToNumber(const Value& v, DateSystem dates);
Value ToText(const Value& v);
Value ToBool(const Value& v);
// A text result, or #VALUE! when it would be longer than a cell may hold.
Value TextResult(std::string text);
// Evaluates the first out.size() arguments as numbers; the first error is returned.
std::optional<Value> Numbers(Args args, const CellSource& source, std::span<double> out);
Value Checked(double result);

// --- comparison ---
// Excel's ordering: numbers (at 15 digits) before texts (by CompareText) before logicals.
int CompareValues(const Value& a, const Value& b);
// Whether a cell's value meets a COUNTIF-style criterion (">5", "<>x", "a*", 3, ">2024-3-1").
bool MeetsCriterion(const Value& criterion, const Value& value, DateSystem dates);

}  // namespace keltrov::sheet
