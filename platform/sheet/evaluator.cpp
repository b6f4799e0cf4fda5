#include "platform/sheet/evaluator.hpp"

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <unordered_map>

#include "platform/sheet/functions.hpp"
#include "platform/util/utf8.hpp"

namespace keltrov::sheet {
namespace {

// Arrays from ranges hold at most this many cells; a formula over more gets #NUM!.
constexpr size_t kMaxArrayCells = 1'000'000;

CellRef ClippedLast(const Token& ref, const CellSource& source) {
    CellRef last = ref.kind == TokenKind::Range ? ref.last : ref.first;
    if (ref.shape == RangeShape::Columns) {
        static thread_local RowAnchor clipped;
        clipped = {std::max(ref.first.row->index, source.LastUsedRow(ref.first.row->sheet)), ref.first.row->sheet};
        last.row = &clipped;
    }
    return last;
}

Value Arithmetic(Operator op, double a, double b) {
    switch (op) {
        case Operator::Add: return Checked(a + b);
        case Operator::Sub: return Checked(a - b);
        case Operator::Mul: return Checked(a * b);
        case Operator::Div: return b == 0.0 ? Value::Error(ErrorCode::Div0) : Checked(a / b);
        case Operator::Pow:
            // Excel: 0^0 is #NUM! (LibreOffice gives 1), 0^-1 is #DIV/0!.
            if (a == 0.0 && b == 0.0) {
                return Value::Error(ErrorCode::Num);
            }
            if (a == 0.0 && b < 0.0) {
                return Value::Error(ErrorCode::Div0);
            }
            return Checked(std::pow(a, b));
        default: return Value::Error(ErrorCode::Value);
    }
}

// An empty operand compares as the other side's kind of zero: 0, "" or FALSE.
Value FillEmpty(const Value& v, const Value& other) {
    if (v.kind != Value::Kind::Empty) {
        return v;
    }
    switch (other.kind) {
        case Value::Kind::String: return Value::String("");
        case Value::Kind::Bool: return Value::Bool(false);
        default: return Value::Number(0.0);
    }
}

Value Comparison(Operator op, const Value& left, const Value& right) {
    int c = CompareValues(FillEmpty(left, right), FillEmpty(right, left));
    switch (op) {
        case Operator::Eq: return Value::Bool(c == 0);
        case Operator::Ne: return Value::Bool(c != 0);
        case Operator::Lt: return Value::Bool(c < 0);
        case Operator::Le: return Value::Bool(c <= 0);
        case Operator::Gt: return Value::Bool(c > 0);
        default: return Value::Bool(c >= 0);
    }
}

Value ScalarBinary(Operator op, const Value& left, const Value& right, DateSystem dates) {
    if (left.IsError()) {
        return left;
    }
    if (right.IsError()) {
        return right;
    }
    if (op == Operator::Concat) {
        return TextResult(ToText(left).text + ToText(right).text);
    }
    if (op >= Operator::Eq) {
        return Comparison(op, left, right);
    }
    Value a = ToNumber(left, dates);
    Value b = ToNumber(right, dates);
    if (a.IsError()) {
        return a;
    }
    return b.IsError() ? b : Arithmetic(op, a.number, b.number);
}

// Element by element, as Excel combines arrays: a single row or column stretches, the rest is #N/A.
Value ArrayBinary(Operator op, const Matrix& a, const Matrix& b, DateSystem dates) {
    Matrix out;
    out.rows = std::max(a.rows, b.rows);
    out.columns = std::max(a.columns, b.columns);
    if (static_cast<size_t>(out.rows) * out.columns > kMaxArrayCells) {
        return Value::Error(ErrorCode::Num);
    }
    auto element = [](const Matrix& m, int r, int c) -> const Value* {
        int rr = m.rows == 1 ? 0 : r;
        int cc = m.columns == 1 ? 0 : c;
        return rr < m.rows && cc < m.columns ? &m.At(rr, cc) : nullptr;
    };
    out.cells.reserve(static_cast<size_t>(out.rows) * out.columns);
    for (int r = 0; r < out.rows; ++r) {
        for (int c = 0; c < out.columns; ++c) {
            const Value* x = element(a, r, c);
            const Value* y = element(b, r, c);
            out.cells.push_back(x && y ? ScalarBinary(op, *x, *y, dates) : Value::Error(ErrorCode::NA));
        }
    }
    return Value::Array(std::move(out));
}

bool IsBlock(const Operand& operand) {
    return operand.value.kind == Value::Kind::Array || (operand.ref && operand.ref->kind == TokenKind::Range);
}

Value Binary(Operator op, const Operand& left, const Operand& right, const CellSource& source) {
    if (IsBlock(left) || IsBlock(right)) {
        return ArrayBinary(op, ToMatrix(left, source), ToMatrix(right, source), source.Dates());
    }
    return ScalarBinary(op, Scalar(left, source), Scalar(right, source), source.Dates());
}

Value Unary(TokenKind kind, const Value& operand, DateSystem dates) {
    if (operand.kind == Value::Kind::Array) {
        Matrix out = *operand.array;
        for (Value& v : out.cells) {
            v = Unary(kind, v, dates);
        }
        return Value::Array(std::move(out));
    }
    Value n = ToNumber(operand, dates);
    if (n.IsError()) {
        return n;
    }
    return Value::Number(kind == TokenKind::Negate ? -n.number : n.number / 100.0);
}

Value UnaryOperand(TokenKind kind, const Operand& operand, const CellSource& source) {
    return Unary(kind, IsBlock(operand) ? Value::Array(ToMatrix(operand, source)) : Scalar(operand, source),
                 source.Dates());
}

// A range as a single value: the cell of a one-column range in the formula's row, or of a one-row
// range in its column, as Excel and LibreOffice read it; otherwise #VALUE!.
Value ImplicitIntersection(const Token& range, const CellSource& source) {
    auto [row, column] = source.CurrentCell();
    const CellRef& first = range.first;
    const CellRef& last = range.last;
    if (first.column == last.column && first.row->index <= row && row <= last.row->index) {
        int offset = row - first.row->index;
        Value found;
        source.ForEachCell(first, last, [&](int r, int, const Value& v) { found = r == offset ? v : found; });
        return found;
    }
    if (first.row == last.row && first.column <= column && column <= last.column) {
        return source.CellValue(first.row, column);
    }
    return Value::Error(ErrorCode::Value);
}

// An operator of a formula that is no array formula reads a range as the one cell in line with
// the formula (so SUM(-A1:A3) fails below row 3); array formulas and array arguments read it whole.
Operand OperatorOperand(const Operand& operand, const Token& op, const CellSource& source) {
    if (operand.ref && operand.ref->kind == TokenKind::Range && !op.arrayContext && !source.InArrayFormula()) {
        return {ImplicitIntersection(*operand.ref, source)};
    }
    return operand;
}

bool IsReference(const Operand& operand) {
    return operand.ref && (operand.ref->kind == TokenKind::Ref || operand.ref->kind == TokenKind::Range);
}

// The cells two references share, as a reference kept among `made`; #NULL! when they share none.
Operand Intersect(const Operand& a, const Operand& b, MadeReferences& made) {
    if (!IsReference(a) || !IsReference(b)) {
        return {Value::Error(ErrorCode::Value)};
    }
    const Token& x = *a.ref;
    const Token& y = *b.ref;
    Token both;
    both.first.row = x.first.row->index >= y.first.row->index ? x.first.row : y.first.row;
    both.last.row = x.last.row->index <= y.last.row->index ? x.last.row : y.last.row;
    both.first.column = std::max(x.first.column, y.first.column);
    both.last.column = std::min(x.last.column, y.last.column);
    if (x.first.row->sheet != y.first.row->sheet || both.first.row->index > both.last.row->index ||
        both.first.column > both.last.column) {
        return {Value::Error(ErrorCode::Null)};
    }
    bool single = both.first.row == both.last.row && both.first.column == both.last.column;
    both.kind = single ? TokenKind::Ref : TokenKind::Range;
    both.shape = x.shape == y.shape ? x.shape : RangeShape::Cells;
    return {Value(), &made.Add(std::move(both))};
}

// The block from the corner of one reference to the far corner of the other, as a reference kept
// among `made`; #VALUE! for anything but single references on one sheet.
Operand Extent(const Operand& a, const Operand& b, MadeReferences& made) {
    if (!IsReference(a) || !IsReference(b) || a.ref->first.row->sheet != b.ref->first.row->sheet) {
        return {Value::Error(ErrorCode::Value)};
    }
    const Token& x = *a.ref;
    const Token& y = *b.ref;
    const CellRef& xLast = x.kind == TokenKind::Range ? x.last : x.first;
    const CellRef& yLast = y.kind == TokenKind::Range ? y.last : y.first;
    Token block;
    block.kind = TokenKind::Range;
    block.first.row = x.first.row->index <= y.first.row->index ? x.first.row : y.first.row;
    block.last.row = xLast.row->index >= yLast.row->index ? xLast.row : yLast.row;
    block.first.column = std::min(x.first.column, y.first.column);
    block.last.column = std::max(xLast.column, yLast.column);
    if (block.first.row == block.last.row && block.first.column == block.last.column) block.kind = TokenKind::Ref;
    return {Value(), &made.Add(std::move(block))};
}

// The areas of both sides, in order; anything but references makes #VALUE!.
Operand Union(const Operand& a, const Operand& b) {
    Operand joined{Value::Error(ErrorCode::Value)};
    for (const Operand* side : {&a, &b}) {
        if (!side->areas.empty()) {
            joined.areas.insert(joined.areas.end(), side->areas.begin(), side->areas.end());
        } else if (IsReference(*side)) {
            joined.areas.push_back(side->ref);
        } else {
            return {Value::Error(ErrorCode::Value)};
        }
    }
    return joined;
}

Operand Literal(const Token& token) {
    switch (token.kind) {
        case TokenKind::Number: return {Value::Number(token.number)};
        case TokenKind::String: return {Value::String(token.Text())};
        case TokenKind::Bool: return {Value::Bool(token.boolean)};
        case TokenKind::Error: return {Value::Error(token.error)};
        case TokenKind::Name: return {Value::Error(ErrorCode::Name)};
        case TokenKind::Array: {
            Value v;
            v.kind = Value::Kind::Array;
            v.array = token.Array();
            return {v};
        }
        case TokenKind::Ref:
        case TokenKind::Range: return {Value(), &token};
        default: return {Value()};
    }
}

// "a*b?c" with "~" escapes as a regular expression over folded text.
std::regex WildcardPattern(std::string_view pattern) {
    std::string expression;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char ch = pattern[i];
        // After a tilde any character stands for itself; a backslash before a letter or digit
        // would make it a class or a back-reference.
        bool literal = ch == '~' && i + 1 < pattern.size();
        if (literal) {
            ch = pattern[++i];
        }
        if (!literal && ch == '*') {
            expression += "[\\s\\S]*";
        } else if (!literal && ch == '?') {
            expression += "[\\s\\S]";
        } else {
            if (std::string_view("\\^$.|+()[]{}*?").find(ch) != std::string_view::npos) {
                expression += '\\';
            }
            expression += ch;
        }
    }
    return std::regex(expression);
}

bool HasWildcard(std::string_view text) {
    return text.find_first_of("*?~") != std::string_view::npos;
}

}  // namespace

const FunctionDef* FindFunction(std::string_view upperName) {
    static const std::unordered_map<std::string_view, const FunctionDef*> kByName = [] {
        std::unordered_map<std::string_view, const FunctionDef*> byName;
        for (auto group : {MathFunctions(), LogicFunctions(), TextFunctions(), DateFunctions()}) {
            for (const FunctionDef& def : group) {
                byName.emplace(def.name, &def);
            }
        }
        return byName;
    }();
    auto it = kByName.find(upperName);
    return it == kByName.end() ? nullptr : it->second;
}

Value Scalar(const Operand& operand, const CellSource& source) {
    if (operand.value.kind == Value::Kind::Array) {
        const Matrix& m = *operand.value.array;
        return m.cells.empty() ? Value::Error(ErrorCode::Value) : m.cells.front();
    }
    if (!operand.ref) {
        return operand.value;
    }
    if (operand.ref->kind == TokenKind::Range) {
        return Value::Error(ErrorCode::Value);
    }
    return source.CellValue(operand.ref->first.row, operand.ref->first.column);
}

Matrix ToMatrix(const Operand& operand, const CellSource& source) {
    if (operand.value.kind == Value::Kind::Array) {
        return *operand.value.array;
    }
    Matrix m;
    if (!operand.ref) {
        m.rows = m.columns = 1;
        m.cells.push_back(operand.value);
        return m;
    }
    const CellRef& first = operand.ref->first;
    CellRef last = ClippedLast(*operand.ref, source);
    m.rows = last.row->index - first.row->index + 1;
    m.columns = last.column - first.column + 1;
    if (static_cast<size_t>(m.rows) * m.columns > kMaxArrayCells) {
        m.rows = m.columns = 1;
        m.cells.push_back(Value::Error(ErrorCode::Num));
        return m;
    }
    m.cells.resize(static_cast<size_t>(m.rows) * m.columns);
    source.ForEachCell(first, last,
                       [&m](int r, int c, const Value& v) { m.cells[static_cast<size_t>(r) * m.columns + c] = v; });
    return m;
}

void ForEachValue(const Operand& operand, const CellSource& source,
                  const std::function<void(const Value&, bool fromBlock)>& visit) {
    if (!operand.areas.empty()) {
        for (const Token* area : operand.areas) {
            ForEachValue({Value(), area}, source, visit);
        }
    } else if (operand.value.kind == Value::Kind::Array) {
        for (const Value& v : operand.value.array->cells) {
            visit(v, true);
        }
    } else if (operand.ref) {
        source.ForEachCell(operand.ref->first, ClippedLast(*operand.ref, source),
                           [&visit](int, int, const Value& v) { visit(v, true); });
    } else {
        visit(operand.value, false);
    }
}

Value ToNumber(const Value& v, DateSystem dates) {
    switch (v.kind) {
        case Value::Kind::Empty: return Value::Number(0.0);
        case Value::Kind::Number: return v;
        case Value::Kind::Bool: return Value::Number(v.boolean ? 1.0 : 0.0);
        case Value::Kind::String: {
            std::optional<double> n = ParseNumber(v.text, dates);
            return n ? Value::Number(*n) : Value::Error(ErrorCode::Value);
        }
        case Value::Kind::Error: return v;
        case Value::Kind::Array:
            return v.array->cells.empty() ? Value::Error(ErrorCode::Value) : ToNumber(v.array->cells[0], dates);
    }
    return Value::Error(ErrorCode::Value);
}

Value ToText(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Empty: return Value::String("");
        case Value::Kind::Number: return Value::String(NumberToText(v.number));
        case Value::Kind::Bool: return Value::String(v.boolean ? "TRUE" : "FALSE");
        case Value::Kind::String:
        case Value::Kind::Error: return v;
        case Value::Kind::Array:
            return v.array->cells.empty() ? Value::Error(ErrorCode::Value) : ToText(v.array->cells[0]);
    }
    return Value::Error(ErrorCode::Value);
}

Value ToBool(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Empty: return Value::Bool(false);
        case Value::Kind::Number: return Value::Bool(v.number != 0.0);
        case Value::Kind::Bool: return v;
        case Value::Kind::String: {
            std::string folded = FoldCase(v.text);
            if (folded == "true" || folded == "false") {
                return Value::Bool(folded == "true");
            }
            return Value::Error(ErrorCode::Value);
        }
        case Value::Kind::Error: return v;
        case Value::Kind::Array:
            return v.array->cells.empty() ? Value::Error(ErrorCode::Value) : ToBool(v.array->cells[0]);
    }
    return Value::Error(ErrorCode::Value);
}

Value TextResult(std::string text) {
    return utf8::Length(text) > kMaxTextLength ? Value::Error(ErrorCode::Value) : Value::String(std::move(text));
}

std::optional<Value> Numbers(Args args, const CellSource& source, std::span<double> out) {
    for (size_t i = 0; i < out.size(); ++i) {
        Value n = ToNumber(Scalar(args[i], source), source.Dates());
        if (n.IsError()) {
            return n;
        }
        out[i] = n.number;
    }
    return std::nullopt;
}

Value Checked(double result) {
    return std::isfinite(result) ? Value::Number(result) : Value::Error(ErrorCode::Num);
}

int CompareValues(const Value& a, const Value& b) {
    auto rank = [](const Value& v) {
        return v.kind == Value::Kind::Number ? 0 : v.kind == Value::Kind::String ? 1 : 2;
    };
    if (rank(a) != rank(b)) {
        return rank(a) < rank(b) ? -1 : 1;
    }
    if (a.kind == Value::Kind::Number) {
        double x = ToSignificant15(a.number);
        double y = ToSignificant15(b.number);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (a.kind == Value::Kind::String) {
        return CompareText(a.text, b.text);
    }
    return a.boolean == b.boolean ? 0 : a.boolean ? 1 : -1;
}

bool MeetsCriterion(const Value& criterion, const Value& value, DateSystem dates) {
    // An error criterion matches the same error; it has no text to go on with.
    if (criterion.IsError()) {
        return value.IsError() && value.error == criterion.error;
    }
    if (criterion.kind != Value::Kind::String) {
        Value text = ToText(criterion);
        return text.kind == Value::Kind::String && MeetsCriterion(text, value, dates);
    }
    std::string_view text = criterion.text;
    Operator op = Operator::Eq;
    for (auto [prefix, candidate] : {std::pair{"<=", Operator::Le},
                                     {">=", Operator::Ge},
                                     {"<>", Operator::Ne},
                                     {"<", Operator::Lt},
                                     {">", Operator::Gt},
                                     {"=", Operator::Eq}}) {
        if (text.starts_with(prefix)) {
            op = candidate;
            text.remove_prefix(std::string_view(prefix).size());
            break;
        }
    }
    std::optional<double> number = ParseNumber(text, dates);
    if (number) {
        if (value.kind == Value::Kind::Number) {
            return Comparison(op, value, Value::Number(*number)).boolean;
        }
        return op == Operator::Ne;
    }
    if (text.empty()) {
        bool blank = value.kind == Value::Kind::Empty || (value.kind == Value::Kind::String && value.text.empty());
        return op == Operator::Ne ? !blank : op == Operator::Eq && blank;
    }
    if ((op == Operator::Eq || op == Operator::Ne) && value.kind != Value::Kind::String) {
        return op == Operator::Ne;
    }
    if ((op == Operator::Eq || op == Operator::Ne) && HasWildcard(text)) {
        bool match = std::regex_match(FoldCase(value.text), WildcardPattern(FoldCase(text)));
        return op == Operator::Eq ? match : !match;
    }
    if (value.kind != Value::Kind::String) {
        return false;
    }
    return Comparison(op, value, Value::String(std::string(text))).boolean;
}

Value Evaluate(const Formula& formula, const CellSource& source) {
    std::vector<Operand> stack;
    MadeReferences made;
    for (const Token& token : formula) {
        switch (token.kind) {
            case TokenKind::Plus:
            case TokenKind::Paren: break;  // both leave the operand as it is, reference or value
            case TokenKind::Negate:
            case TokenKind::Percent:
                stack.back() = {UnaryOperand(token.kind, OperatorOperand(stack.back(), token, source), source)};
                break;
            case TokenKind::Binary: {
                Operand right = OperatorOperand(stack.back(), token, source);
                stack.pop_back();
                stack.back() = {Binary(token.op, OperatorOperand(stack.back(), token, source), right, source)};
                break;
            }
            case TokenKind::Intersect:
            case TokenKind::Union:
            case TokenKind::Extent: {
                Operand right = std::move(stack.back());
                stack.pop_back();
                stack.back() = token.kind == TokenKind::Intersect ? Intersect(stack.back(), right, made)
                               : token.kind == TokenKind::Union   ? Union(stack.back(), right)
                                                                  : Extent(stack.back(), right, made);
                break;
            }
            case TokenKind::Function: {
                size_t firstArg = stack.size() - token.argumentCount;
                Args args = Args(stack).subspan(firstArg);
                Operand result = !token.function             ? Operand(Value::Error(ErrorCode::Name))
                                 : token.function->reference ? token.function->reference(args, source, made)
                                                             : Operand(token.function->call(args, source));
                stack.resize(firstArg);
                stack.push_back(std::move(result));
                break;
            }
            default: stack.push_back(Literal(token)); break;
        }
    }
    if (stack.empty()) {
        return Value::Error(ErrorCode::Value);
    }
    const Operand& top = stack.back();
    Value result = !IsBlock(top)                         ? Scalar(top, source)
                   : top.ref && !source.InArrayFormula() ? ImplicitIntersection(*top.ref, source)
                                                         : Value::Array(ToMatrix(top, source));
    // A formula that only points at an empty cell shows 0, as spreadsheet apps do.
    return result.kind == Value::Kind::Empty ? Value::Number(0.0) : result;
}

}  // namespace keltrov::sheet
