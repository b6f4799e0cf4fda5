#include "platform/sheet/evaluator.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <span>

#include "platform/sheet/number_format.hpp"

namespace keltrov::sheet {
namespace {

// A stack entry: a value, or a reference still to be read (functions treat the two differently).
struct Operand {
    Value value;
    const Token* ref = nullptr;
};

using Args = std::span<const Operand>;

Value Scalar(const Operand& operand, const CellSource& source) {
    if (!operand.ref) {
        return operand.value;
    }
    if (operand.ref->kind == TokenKind::Range) {
        return Value::Error(ErrorCode::Value);
    }
    return source.CellValue(operand.ref->first.row, operand.ref->first.column);
}

// Number conversion for operators and scalar arguments; an error value carries the failure.
Value ToNumber(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Empty: return Value::Number(0.0);
        case Value::Kind::Number: return v;
        case Value::Kind::Bool: return Value::Number(v.boolean ? 1.0 : 0.0);
        case Value::Kind::String: {
            std::optional<double> n = ParseNumber(v.text);
            return n ? Value::Number(*n) : Value::Error(ErrorCode::Value);
        }
        case Value::Kind::Error: return v;
    }
    return Value::Error(ErrorCode::Value);
}

Value ToText(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Empty: return Value::String("");
        case Value::Kind::Number: return Value::String(FormatGeneral(v.number));
        case Value::Kind::Bool: return Value::String(v.boolean ? "TRUE" : "FALSE");
        case Value::Kind::String:
        case Value::Kind::Error: return v;
    }
    return Value::Error(ErrorCode::Value);
}

std::string Upper(const std::string& text) {
    std::string upper = text;
    for (char& ch : upper) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return upper;
}

Value ToBool(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Empty: return Value::Bool(false);
        case Value::Kind::Number: return Value::Bool(v.number != 0.0);
        case Value::Kind::Bool: return v;
        case Value::Kind::String: {
            std::string upper = Upper(v.text);
            if (upper == "TRUE" || upper == "FALSE") {
                return Value::Bool(upper == "TRUE");
            }
            return Value::Error(ErrorCode::Value);
        }
        case Value::Kind::Error: return v;
    }
    return Value::Error(ErrorCode::Value);
}

Value Checked(double result) {
    return std::isfinite(result) ? Value::Number(result) : Value::Error(ErrorCode::Num);
}

Value Arithmetic(Operator op, double a, double b) {
    switch (op) {
        case Operator::Add: return Checked(a + b);
        case Operator::Sub: return Checked(a - b);
        case Operator::Mul: return Checked(a * b);
        case Operator::Div: return b == 0.0 ? Value::Error(ErrorCode::Div0) : Checked(a / b);
        case Operator::Pow:
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

// Spreadsheet ordering: numbers before texts before logicals; texts compare ignoring case.
int CompareValues(const Value& a, const Value& b) {
    auto rank = [](const Value& v) {
        return v.kind == Value::Kind::Number ? 0 : v.kind == Value::Kind::String ? 1 : 2;
    };
    if (rank(a) != rank(b)) {
        return rank(a) < rank(b) ? -1 : 1;
    }
    if (a.kind == Value::Kind::Number) {
        return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
    }
    if (a.kind == Value::Kind::String) {
        return Upper(a.text).compare(Upper(b.text)) < 0 ? -1 : Upper(a.text) == Upper(b.text) ? 0 : 1;
    }
    return a.boolean == b.boolean ? 0 : a.boolean ? 1 : -1;
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

Value Binary(Operator op, const Value& left, const Value& right) {
    if (left.IsError()) {
        return left;
    }
    if (right.IsError()) {
        return right;
    }
    if (op == Operator::Concat) {
        return Value::String(ToText(left).text + ToText(right).text);
    }
    if (op >= Operator::Eq) {
        return Comparison(op, left, right);
    }
    Value a = ToNumber(left);
    Value b = ToNumber(right);
    if (a.IsError()) {
        return a;
    }
    return b.IsError() ? b : Arithmetic(op, a.number, b.number);
}

// Running figures for the aggregate functions.
struct Aggregate {
    double sum = 0.0;
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    size_t count = 0;
    size_t nonEmpty = 0;
    std::optional<ErrorCode> error;

    void Add(double n) {
        sum += n;
        min = std::min(min, n);
        max = std::max(max, n);
        ++count;
    }
    void Fail(ErrorCode e) {
        if (!error) {
            error = e;
        }
    }
};

// Referenced cells contribute numbers only; direct arguments are converted (TRUE, "3").
Aggregate Collect(Args args, const CellSource& source) {
    Aggregate agg;
    for (const Operand& arg : args) {
        if (arg.ref) {
            source.ForEachCell(arg.ref->first, arg.ref->kind == TokenKind::Range ? arg.ref->last : arg.ref->first,
                               [&agg](const Value& v) {
                                   ++agg.nonEmpty;
                                   if (v.kind == Value::Kind::Number) {
                                       agg.Add(v.number);
                                   } else if (v.IsError()) {
                                       agg.Fail(v.error);
                                   }
                               });
            continue;
        }
        if (arg.value.kind != Value::Kind::Empty) {
            ++agg.nonEmpty;
        }
        Value n = ToNumber(arg.value);
        if (n.IsError()) {
            agg.Fail(n.error);
        } else {
            agg.Add(n.number);
        }
    }
    return agg;
}

size_t CountNumbers(Args args, const CellSource& source) {
    size_t count = 0;
    for (const Operand& arg : args) {
        if (arg.ref) {
            Operand single{Value(), arg.ref};
            count += Collect(std::span(&single, 1), source).count;
        } else if (arg.value.kind == Value::Kind::Number || arg.value.kind == Value::Kind::Bool ||
                   (arg.value.kind == Value::Kind::String && ParseNumber(arg.value.text))) {
            ++count;
        }
    }
    return count;
}

Value Logical(Args args, const CellSource& source, bool isAnd) {
    std::optional<bool> result;
    std::optional<ErrorCode> error;
    auto take = [&](const Value& v, bool fromReference) {
        if (v.IsError()) {
            error = error ? error : v.error;
            return;
        }
        if (fromReference && (v.kind == Value::Kind::String || v.kind == Value::Kind::Empty)) {
            return;  // texts and blanks in referenced cells are skipped
        }
        Value b = ToBool(v);
        if (b.IsError()) {
            error = error ? error : b.error;
            return;
        }
        result = isAnd ? result.value_or(true) && b.boolean : result.value_or(false) || b.boolean;
    };
    for (const Operand& arg : args) {
        if (arg.ref) {
            source.ForEachCell(arg.ref->first, arg.ref->kind == TokenKind::Range ? arg.ref->last : arg.ref->first,
                               [&](const Value& v) { take(v, true); });
        } else {
            take(arg.value, false);
        }
    }
    if (error) {
        return Value::Error(*error);
    }
    return result ? Value::Bool(*result) : Value::Error(ErrorCode::Value);
}

// Rounds at 15 significant digits first so 2.675 counts as written, not as its binary neighbour.
double CleanDigits(double x) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", x);
    return std::strtod(buffer, nullptr);
}

enum class Rounding { Nearest, AwayFromZero, TowardZero };

// Past 15 decimals a double has nothing left to round; past 308 tens every number rounds to 0.
Value RoundTo(double x, double digitsArg, Rounding mode) {
    if (digitsArg > 15.0) {
        return Value::Number(x);
    }
    if (digitsArg < -308.0) {
        return Value::Number(0.0);
    }
    int digits = static_cast<int>(std::trunc(digitsArg));
    double scale = std::pow(10.0, std::abs(digits));
    double scaled = CleanDigits(digits >= 0 ? x * scale : x / scale);
    double whole = mode == Rounding::Nearest        ? std::round(scaled)
                   : mode == Rounding::AwayFromZero ? std::copysign(std::ceil(std::fabs(scaled)), scaled)
                                                    : std::trunc(scaled);
    return Checked(digits >= 0 ? whole / scale : whole * scale);
}

// Evaluates the scalar arguments of a numeric function; the first error wins.
std::optional<Value> Numbers(Args args, const CellSource& source, std::span<double> out) {
    for (size_t i = 0; i < out.size(); ++i) {
        Value n = ToNumber(Scalar(args[i], source));
        if (n.IsError()) {
            return n;
        }
        out[i] = n.number;
    }
    return std::nullopt;
}

Value NumericFunction(FunctionId id, Args args, const CellSource& source) {
    double n[2] = {0.0, 0.0};
    if (std::optional<Value> error = Numbers(args, source, std::span(n, args.size()))) {
        return *error;
    }
    switch (id) {
        case FunctionId::Round: return RoundTo(n[0], n[1], Rounding::Nearest);
        case FunctionId::RoundUp: return RoundTo(n[0], n[1], Rounding::AwayFromZero);
        case FunctionId::RoundDown: return RoundTo(n[0], n[1], Rounding::TowardZero);
        case FunctionId::Int: return Value::Number(std::floor(n[0]));
        case FunctionId::Abs: return Value::Number(std::fabs(n[0]));
        case FunctionId::Mod:
            // The result takes the divisor's sign, as in spreadsheet apps.
            return n[1] == 0.0 ? Value::Error(ErrorCode::Div0) : Checked(n[0] - n[1] * std::floor(n[0] / n[1]));
        default: return Value::Error(ErrorCode::Name);
    }
}

Value AggregateFunction(FunctionId id, Args args, const CellSource& source) {
    if (id == FunctionId::Count) {
        return Value::Number(static_cast<double>(CountNumbers(args, source)));
    }
    Aggregate agg = Collect(args, source);
    if (id == FunctionId::CountA) {
        return Value::Number(static_cast<double>(agg.nonEmpty));
    }
    if (agg.error) {
        return Value::Error(*agg.error);
    }
    switch (id) {
        case FunctionId::Sum: return Checked(agg.sum);
        case FunctionId::Average:
            return agg.count == 0 ? Value::Error(ErrorCode::Div0) : Checked(agg.sum / static_cast<double>(agg.count));
        case FunctionId::Min: return Value::Number(agg.count == 0 ? 0.0 : agg.min);
        default: return Value::Number(agg.count == 0 ? 0.0 : agg.max);
    }
}

Value If(Args args, const CellSource& source) {
    Value condition = ToBool(Scalar(args[0], source));
    if (condition.IsError()) {
        return condition;
    }
    if (condition.boolean) {
        return Scalar(args[1], source);
    }
    return args.size() > 2 ? Scalar(args[2], source) : Value::Bool(false);
}

Value CallFunction(const Token& token, Args args, const CellSource& source) {
    switch (token.function) {
        case FunctionId::Sum:
        case FunctionId::Average:
        case FunctionId::Min:
        case FunctionId::Max:
        case FunctionId::Count:
        case FunctionId::CountA: return AggregateFunction(token.function, args, source);
        case FunctionId::And: return Logical(args, source, true);
        case FunctionId::Or: return Logical(args, source, false);
        case FunctionId::Not: {
            Value b = ToBool(Scalar(args[0], source));
            return b.IsError() ? b : Value::Bool(!b.boolean);
        }
        case FunctionId::If: return If(args, source);
        case FunctionId::IfError: {
            Value v = Scalar(args[0], source);
            return v.IsError() ? Scalar(args[1], source) : v;
        }
        case FunctionId::Unknown: return Value::Error(ErrorCode::Name);
        default: return NumericFunction(token.function, args, source);
    }
}

Value Unary(const Token& token, const Value& operand) {
    Value n = ToNumber(operand);
    if (n.IsError()) {
        return n;
    }
    return Value::Number(token.kind == TokenKind::Negate ? -n.number : n.number / 100.0);
}

Operand Literal(const Token& token) {
    switch (token.kind) {
        case TokenKind::Number: return {Value::Number(token.number)};
        case TokenKind::String: return {Value::String(token.text)};
        case TokenKind::Bool: return {Value::Bool(token.boolean)};
        case TokenKind::Error: return {Value::Error(token.error)};
        case TokenKind::Name: return {Value::Error(ErrorCode::Name)};
        case TokenKind::Ref:
        case TokenKind::Range: return {Value(), &token};
        default: return {Value()};
    }
}

}  // namespace

Value Evaluate(const Formula& formula, const CellSource& source) {
    std::vector<Operand> stack;
    for (const Token& token : formula) {
        switch (token.kind) {
            case TokenKind::Plus:
            case TokenKind::Paren: break;  // both leave the operand as it is, reference or value
            case TokenKind::Negate:
            case TokenKind::Percent: stack.back() = {Unary(token, Scalar(stack.back(), source))}; break;
            case TokenKind::Binary: {
                Value right = Scalar(stack.back(), source);
                stack.pop_back();
                stack.back() = {Binary(token.op, Scalar(stack.back(), source), right)};
                break;
            }
            case TokenKind::Function: {
                size_t firstArg = stack.size() - token.argumentCount;
                Value result = CallFunction(token, Args(stack).subspan(firstArg), source);
                stack.resize(firstArg);
                stack.push_back({std::move(result)});
                break;
            }
            default: stack.push_back(Literal(token)); break;
        }
    }
    if (stack.empty()) {
        return Value::Error(ErrorCode::Value);
    }
    Value result = Scalar(stack.back(), source);
    // A formula that only points at an empty cell shows 0, as spreadsheet apps do.
    return result.kind == Value::Kind::Empty ? Value::Number(0.0) : result;
}

}  // namespace keltrov::sheet
