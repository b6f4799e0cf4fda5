// Sums, counts, statistics and the numeric functions.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "platform/sheet/functions.hpp"

namespace keltrov::sheet {
namespace {

// Visits the numbers of the arguments as SUM sees them: referenced and array texts, logicals and
// blanks are skipped, direct arguments converted ("3", TRUE). The first error met, if any.
template <typename Visit>
std::optional<ErrorCode> ForEachNumber(Args args, const CellSource& source, Visit visitNumber) {
    std::optional<ErrorCode> error;
    for (const Operand& arg : args) {
        ForEachValue(arg, source, [&error, &visitNumber, &source](const Value& v, bool fromBlock) {
            if (v.IsError()) {
                error = error ? error : v.error;
            } else if (v.kind == Value::Kind::Number) {
                visitNumber(v.number);
            } else if (!fromBlock) {  // a missing argument counts as 0: MAX(,-1) is 0
                Value n = ToNumber(v, source.Dates());
                n.IsError() ? void(error = error ? error : n.error) : visitNumber(n.number);
            }
        });
    }
    return error;
}

struct NumberList {
    std::vector<double> numbers;
    std::optional<ErrorCode> error;
};

NumberList CollectNumbers(Args args, const CellSource& source) {
    NumberList list;
    list.error = ForEachNumber(args, source, [&list](double number) { list.numbers.push_back(number); });
    return list;
}

template <typename Reduce>
Value OverNumbers(Args args, const CellSource& source, Reduce reduce) {
    NumberList list = CollectNumbers(args, source);
    return list.error ? Value::Error(*list.error) : reduce(list.numbers);
}

// Added as they come: a total over a tall column holds no list of its numbers.
Value Sum(Args args, const CellSource& source) {
    double sum = 0.0;
    std::optional<ErrorCode> error = ForEachNumber(args, source, [&sum](double number) { sum += number; });
    return error ? Value::Error(*error) : Checked(sum);
}

Value Product(Args args, const CellSource& source) {
    return OverNumbers(args, source, [](const std::vector<double>& n) {
        double product = n.empty() ? 0.0 : 1.0;
        for (double x : n) product *= x;
        return Checked(product);
    });
}

Value Average(Args args, const CellSource& source) {
    return OverNumbers(args, source, [](const std::vector<double>& n) {
        double sum = 0.0;
        for (double x : n) sum += x;
        return n.empty() ? Value::Error(ErrorCode::Div0) : Checked(sum / static_cast<double>(n.size()));
    });
}

Value Max(Args args, const CellSource& source) {
    return OverNumbers(args, source, [](const std::vector<double>& n) {
        return Value::Number(n.empty() ? 0.0 : *std::max_element(n.begin(), n.end()));
    });
}

Value Min(Args args, const CellSource& source) {
    return OverNumbers(args, source, [](const std::vector<double>& n) {
        return Value::Number(n.empty() ? 0.0 : *std::min_element(n.begin(), n.end()));
    });
}

Value Median(Args args, const CellSource& source) {
    return OverNumbers(args, source, [](std::vector<double> n) {
        if (n.empty()) return Value::Error(ErrorCode::Num);
        std::sort(n.begin(), n.end());
        size_t mid = n.size() / 2;
        return Value::Number(n.size() % 2 ? n[mid] : (n[mid - 1] + n[mid]) / 2.0);
    });
}

// LARGE and SMALL: the k-th number from the top or the bottom.
Value KthNumber(Args args, const CellSource& source, bool largest) {
    NumberList list = CollectNumbers(args.first(1), source);
    Value k = ToNumber(Scalar(args[1], source), source.Dates());
    if (list.error) return Value::Error(*list.error);
    if (k.IsError()) return k;
    double rank = std::ceil(k.number);
    if (rank < 1 || rank > static_cast<double>(list.numbers.size())) return Value::Error(ErrorCode::Num);
    std::sort(list.numbers.begin(), list.numbers.end());
    size_t index = static_cast<size_t>(rank) - 1;
    return Value::Number(largest ? list.numbers[list.numbers.size() - 1 - index] : list.numbers[index]);
}

template <bool Largest>
Value Kth(Args args, const CellSource& source) {
    return KthNumber(args, source, Largest);
}

Value Count(Args args, const CellSource& source) {
    double count = 0;
    for (const Operand& arg : args) {
        ForEachValue(arg, source, [&count](const Value& v, bool fromBlock) {
            bool direct = !fromBlock && (v.kind == Value::Kind::Bool || v.kind == Value::Kind::Empty ||
                                         (v.kind == Value::Kind::String && ParseNumber(v.text)));
            count += v.kind == Value::Kind::Number || direct ? 1 : 0;
        });
    }
    return Value::Number(count);
}

Value CountA(Args args, const CellSource& source) {
    double count = 0;
    for (const Operand& arg : args) {
        ForEachValue(arg, source, [&count](const Value& v, bool fromBlock) {
            count += v.kind != Value::Kind::Empty || !fromBlock ? 1 : 0;
        });
    }
    return Value::Number(count);
}

Value CountBlank(Args args, const CellSource& source) {
    Matrix m = ToMatrix(args[0], source);
    double blank = 0;
    for (const Value& v : m.cells) {
        blank += v.kind == Value::Kind::Empty || (v.kind == Value::Kind::String && v.text.empty()) ? 1 : 0;
    }
    return Value::Number(blank);
}

Value SumProduct(Args args, const CellSource& source) {
    std::vector<Matrix> blocks;
    for (const Operand& arg : args) {
        blocks.push_back(ToMatrix(arg, source));
        if (blocks.back().rows != blocks.front().rows || blocks.back().columns != blocks.front().columns) {
            return Value::Error(ErrorCode::Value);
        }
    }
    double sum = 0.0;
    for (size_t i = 0; i < blocks.front().cells.size(); ++i) {
        double product = 1.0;
        for (const Matrix& m : blocks) {
            const Value& v = m.cells[i];
            if (v.IsError()) return v;
            product *= v.kind == Value::Kind::Number ? v.number : 0.0;
        }
        sum += product;
    }
    return Checked(sum);
}

// The criteria pairs of SUMIFS and its kin, from args[first] on: (range, criterion), ...
// Gives, for each cell of the target block, whether every pair holds.
std::optional<std::vector<bool>> CriteriaMask(Args args, size_t first, const Matrix& target, const CellSource& source) {
    std::vector<bool> mask(target.cells.size(), true);
    for (size_t i = first; i + 1 < args.size(); i += 2) {
        Matrix range = ToMatrix(args[i], source);
        Value criterion = Scalar(args[i + 1], source);
        if (range.rows != target.rows || range.columns != target.columns) {
            // Cut whole columns stop at different rows; what lies beyond the used rows is blank.
            if (range.columns != target.columns || !args[i].ref) return std::nullopt;
            range.cells.resize(target.cells.size());
        }
        for (size_t k = 0; k < mask.size(); ++k) {
            mask[k] = mask[k] && MeetsCriterion(criterion, range.cells[k], source.Dates());
        }
    }
    return mask;
}

enum class Fold { Sum, Average, Count, Max, Min };

Value FoldMasked(const Matrix& target, const std::vector<bool>& mask, Fold fold) {
    double sum = 0.0, count = 0.0;
    double best =
        fold == Fold::Max ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    for (size_t k = 0; k < mask.size(); ++k) {
        if (!mask[k]) continue;
        const Value& v = target.cells[k];
        if (fold == Fold::Count) {
            ++count;
            continue;
        }
        if (v.IsError()) return v;
        if (v.kind != Value::Kind::Number) continue;
        sum += v.number;
        ++count;
        best = fold == Fold::Max ? std::max(best, v.number) : std::min(best, v.number);
    }
    switch (fold) {
        case Fold::Sum: return Checked(sum);
        case Fold::Count: return Value::Number(count);
        case Fold::Average: return count == 0 ? Value::Error(ErrorCode::Div0) : Checked(sum / count);
        default: return Value::Number(count == 0 ? 0.0 : best);
    }
}

// SUMIF(range, criterion, [sum range]) and AVERAGEIF: the sum range takes the shape of the range.
Value OneCriterion(Args args, const CellSource& source, Fold fold) {
    Matrix range = ToMatrix(args[0], source);
    Matrix target = args.size() > 2 ? ToMatrix(args[2], source) : range;
    target.cells.resize(range.cells.size());
    target.rows = range.rows;
    target.columns = range.columns;
    Value criterion = Scalar(args[1], source);
    std::vector<bool> mask(range.cells.size());
    for (size_t k = 0; k < mask.size(); ++k) mask[k] = MeetsCriterion(criterion, range.cells[k], source.Dates());
    return FoldMasked(target, mask, fold);
}

// SUMIFS(target, range1, criterion1, ...), likewise AVERAGEIFS, MAXIFS, MINIFS; COUNTIFS has no target.
Value ManyCriteria(Args args, const CellSource& source, Fold fold) {
    bool counting = fold == Fold::Count;
    if (args.size() % 2 != (counting ? 0u : 1u)) return Value::Error(ErrorCode::Value);
    Matrix target = ToMatrix(args[counting ? 0 : 0], source);
    std::optional<std::vector<bool>> mask = CriteriaMask(args, counting ? 0 : 1, target, source);
    return mask ? FoldMasked(target, *mask, fold) : Value::Error(ErrorCode::Value);
}

template <Fold F>
Value OneCriterionOf(Args a, const CellSource& s) {
    return OneCriterion(a, s, F);
}

template <Fold F>
Value ManyCriteriaOf(Args a, const CellSource& s) {
    return ManyCriteria(a, s, F);
}

Value Subtotal(Args args, const CellSource& source) {
    Value code = ToNumber(Scalar(args[0], source), source.Dates());
    if (code.IsError()) return code;
    int kind = static_cast<int>(std::trunc(code.number)) % 100;  // 101.. also skip hidden rows; none are hidden
    Args rest = args.subspan(1);
    switch (kind) {
        case 1: return Average(rest, source);
        case 2: return Count(rest, source);
        case 3: return CountA(rest, source);
        case 4: return Max(rest, source);
        case 5: return Min(rest, source);
        case 6: return Product(rest, source);
        case 9: return Sum(rest, source);
        default: return Value::Error(ErrorCode::Value);
    }
}

Value Rank(Args args, const CellSource& source) {
    Value x = ToNumber(Scalar(args[0], source), source.Dates());
    if (x.IsError()) return x;
    NumberList list = CollectNumbers(args.subspan(1, 1), source);
    double order = 0.0;
    if (args.size() > 2) {
        Value o = ToNumber(Scalar(args[2], source), source.Dates());
        if (o.IsError()) return o;
        order = o.number;
    }
    if (std::find(list.numbers.begin(), list.numbers.end(), x.number) == list.numbers.end()) {
        return Value::Error(ErrorCode::NA);
    }
    double rank = 1;
    for (double n : list.numbers) rank += order == 0.0 ? (n > x.number) : (n < x.number);
    return Value::Number(rank);
}

enum class Rounding { Nearest, AwayFromZero, TowardZero };

// Past 15 decimals a double has nothing left to round; past 308 tens every number rounds to 0.
// Rounding works on the number at 15 digits, so 2.675 counts as written, not as its binary neighbour.
Value RoundTo(double x, double digitsArg, Rounding mode) {
    if (digitsArg > 15.0) return Value::Number(x);
    if (digitsArg < -308.0) return Value::Number(0.0);
    int digits = static_cast<int>(std::trunc(digitsArg));
    double scale = std::pow(10.0, std::abs(digits));
    double scaled = ToSignificant15(digits >= 0 ? x * scale : x / scale);
    double whole = mode == Rounding::Nearest        ? std::round(scaled)
                   : mode == Rounding::AwayFromZero ? std::copysign(std::ceil(std::fabs(scaled)), scaled)
                                                    : std::trunc(scaled);
    return Checked(digits >= 0 ? whole / scale : whole * scale);
}

// A function of one or two numbers; Default is the value of an optional second argument.
template <auto F>
Value Numeric1(Args args, const CellSource& source) {
    double n[1];
    if (auto error = Numbers(args, source, n)) return *error;
    return F(n[0]);
}

template <auto F, int Default = 0>
Value Numeric2(Args args, const CellSource& source) {
    double n[2] = {0.0, static_cast<double>(Default)};
    if (auto error = Numbers(args, source, std::span(n, args.size()))) return *error;
    return F(n[0], n[1]);
}

Value Round(double x, double d) {
    return RoundTo(x, d, Rounding::Nearest);
}
Value RoundUp(double x, double d) {
    return RoundTo(x, d, Rounding::AwayFromZero);
}
Value RoundDown(double x, double d) {
    return RoundTo(x, d, Rounding::TowardZero);
}
Value Trunc(double x, double d) {
    return RoundTo(x, d, Rounding::TowardZero);
}
// At 15 digits, as the applications take it: INT((0.1+0.7)*10) is 8, not 7.
Value Int(double x) {
    return Value::Number(std::floor(ToSignificant15(x)));
}
Value Abs(double x) {
    return Value::Number(std::fabs(x));
}
Value Sign(double x) {
    return Value::Number(x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0);
}
Value Sqrt(double x) {
    return x < 0 ? Value::Error(ErrorCode::Num) : Value::Number(std::sqrt(x));
}
Value Exp(double x) {
    return Checked(std::exp(x));
}
Value Ln(double x) {
    return x <= 0 ? Value::Error(ErrorCode::Num) : Value::Number(std::log(x));
}
Value Log10(double x) {
    return x <= 0 ? Value::Error(ErrorCode::Num) : Value::Number(std::log10(x));
}
Value Log(double x, double base) {
    if (x <= 0 || base <= 0) return Value::Error(ErrorCode::Num);
    return base == 1 ? Value::Error(ErrorCode::Div0) : Checked(std::log(x) / std::log(base));
}
Value Sin(double x) {
    return Value::Number(std::sin(x));
}
Value Cos(double x) {
    return Value::Number(std::cos(x));
}
Value Tan(double x) {
    return Value::Number(std::tan(x));
}
Value Radians(double x) {
    return Value::Number(x * std::numbers::pi / 180.0);
}
Value Degrees(double x) {
    return Value::Number(x * 180.0 / std::numbers::pi);
}
Value Pi(Args, const CellSource&) {
    return Value::Number(std::numbers::pi);
}

Value Power(double a, double b) {
    if (a == 0.0 && b == 0.0) return Value::Error(ErrorCode::Num);
    if (a == 0.0 && b < 0.0) return Value::Error(ErrorCode::Div0);
    return Checked(std::pow(a, b));
}

// The result takes the divisor's sign, as in spreadsheet apps.
Value Mod(double a, double b) {
    return b == 0.0 ? Value::Error(ErrorCode::Div0) : Checked(a - b * std::floor(ToSignificant15(a / b)));
}

Value MRound(double x, double m) {
    if (m == 0.0) return Value::Number(0.0);
    if ((x > 0 && m < 0) || (x < 0 && m > 0)) return Value::Error(ErrorCode::Num);
    return Checked(std::round(ToSignificant15(x / m)) * m);
}

// CEILING and FLOOR as Excel: a multiple of the significance, #NUM! when the signs disagree.
Value Ceiling(double x, double m) {
    if (m == 0.0) return Value::Number(0.0);
    if (x > 0 && m < 0) return Value::Error(ErrorCode::Num);
    return Checked(std::ceil(ToSignificant15(x / m)) * m);
}

Value Floor(double x, double m) {
    if (m == 0.0) return x == 0.0 ? Value::Number(0.0) : Value::Error(ErrorCode::Div0);
    if (x > 0 && m < 0) return Value::Error(ErrorCode::Num);
    return Checked(std::floor(ToSignificant15(x / m)) * m);
}

// CEILING.MATH and FLOOR.MATH: significance taken positive; negative numbers round toward zero by
// default (mode 0) for CEILING and away from zero for FLOOR.
Value MathRounding(Args args, const CellSource& source, bool up) {
    double n[3] = {0.0, 1.0, 0.0};
    if (auto error = Numbers(args, source, std::span(n, args.size()))) return *error;
    double m = std::fabs(n[1]);
    if (m == 0.0) return Value::Number(0.0);
    double q = ToSignificant15(n[0] / m);
    bool awayForNegative = n[2] != 0.0;
    double whole =
        n[0] < 0 && awayForNegative ? (up ? std::floor(q) : std::ceil(q)) : (up ? std::ceil(q) : std::floor(q));
    return Checked(whole * m);
}

template <bool Up>
Value MathRoundingOf(Args a, const CellSource& s) {
    return MathRounding(a, s, Up);
}

constexpr FunctionDef kMath[] = {
    {"SUM", 1, kManyArgs, Sum},
    {"PRODUCT", 1, kManyArgs, Product},
    {"AVERAGE", 1, kManyArgs, Average},
    {"MAX", 1, kManyArgs, Max},
    {"MIN", 1, kManyArgs, Min},
    {"MEDIAN", 1, kManyArgs, Median},
    {"LARGE", 2, 2, Kth<true>},
    {"SMALL", 2, 2, Kth<false>},
    {"COUNT", 1, kManyArgs, Count},
    {"COUNTA", 1, kManyArgs, CountA},
    {"COUNTBLANK", 1, 1, CountBlank},
    {"SUMPRODUCT", 1, kManyArgs, SumProduct, true},
    {"SUMIF", 2, 3, OneCriterionOf<Fold::Sum>},
    {"SUMIFS", 3, kManyArgs, ManyCriteriaOf<Fold::Sum>},
    {"AVERAGEIF", 2, 3, OneCriterionOf<Fold::Average>},
    {"AVERAGEIFS", 3, kManyArgs, ManyCriteriaOf<Fold::Average>},
    {"COUNTIF", 2, 2, OneCriterionOf<Fold::Count>},
    {"COUNTIFS", 2, kManyArgs, ManyCriteriaOf<Fold::Count>},
    {"MAXIFS", 3, kManyArgs, ManyCriteriaOf<Fold::Max>},
    {"MINIFS", 3, kManyArgs, ManyCriteriaOf<Fold::Min>},
    {"SUBTOTAL", 2, kManyArgs, Subtotal},
    {"RANK", 2, 3, Rank},
    {"RANK.EQ", 2, 3, Rank},
    {"ROUND", 2, 2, Numeric2<Round>},
    {"ROUNDUP", 2, 2, Numeric2<RoundUp>},
    {"ROUNDDOWN", 2, 2, Numeric2<RoundDown>},
    {"TRUNC", 1, 2, Numeric2<Trunc>},
    {"MROUND", 2, 2, Numeric2<MRound>},
    {"INT", 1, 1, Numeric1<Int>},
    {"ABS", 1, 1, Numeric1<Abs>},
    {"SIGN", 1, 1, Numeric1<Sign>},
    {"SQRT", 1, 1, Numeric1<Sqrt>},
    {"EXP", 1, 1, Numeric1<Exp>},
    {"LN", 1, 1, Numeric1<Ln>},
    {"LOG10", 1, 1, Numeric1<Log10>},
    {"LOG", 1, 2, Numeric2<Log, 10>},
    {"SIN", 1, 1, Numeric1<Sin>},
    {"COS", 1, 1, Numeric1<Cos>},
    {"TAN", 1, 1, Numeric1<Tan>},
    {"RADIANS", 1, 1, Numeric1<Radians>},
    {"DEGREES", 1, 1, Numeric1<Degrees>},
    {"PI", 0, 0, Pi},
    {"POWER", 2, 2, Numeric2<Power>},
    {"MOD", 2, 2, Numeric2<Mod>},
    {"CEILING", 1, 2, Numeric2<Ceiling, 1>},
    {"FLOOR", 1, 2, Numeric2<Floor, 1>},
    {"CEILING.MATH", 1, 3, MathRoundingOf<true>},
    {"FLOOR.MATH", 1, 3, MathRoundingOf<false>},
};

}  // namespace

std::span<const FunctionDef> MathFunctions() {
    return kMath;
}

}  // namespace keltrov::sheet
