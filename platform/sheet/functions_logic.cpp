// Logical and information functions, choices, and lookups.
#include <cmath>

#include "platform/sheet/functions.hpp"

namespace keltrov::sheet {
namespace {

// AND, OR and XOR: referenced texts and blanks are skipped; nothing left to judge is #VALUE!.
template <typename Combine>
Value Logical(Args args, const CellSource& source, Combine combine) {
    std::optional<bool> result;
    std::optional<ErrorCode> error;
    for (const Operand& arg : args) {
        ForEachValue(arg, source, [&](const Value& v, bool fromBlock) {
            if (error) return;
            if (v.IsError()) {
                error = v.error;
                return;
            }
            if (fromBlock && (v.kind == Value::Kind::String || v.kind == Value::Kind::Empty)) return;
            Value b = ToBool(v);
            if (b.IsError()) {
                error = b.error;
                return;
            }
            result = result ? combine(*result, b.boolean) : b.boolean;
        });
    }
    if (error) return Value::Error(*error);
    return result ? Value::Bool(*result) : Value::Error(ErrorCode::Value);
}

Value And(Args a, const CellSource& s) {
    return Logical(a, s, [](bool x, bool y) { return x && y; });
}
Value Or(Args a, const CellSource& s) {
    return Logical(a, s, [](bool x, bool y) { return x || y; });
}
Value Xor(Args a, const CellSource& s) {
    return Logical(a, s, [](bool x, bool y) { return x != y; });
}

Value Not(Args args, const CellSource& source) {
    Value b = ToBool(Scalar(args[0], source));
    return b.IsError() ? b : Value::Bool(!b.boolean);
}

// A chosen argument keeps its form: IF(x,A1:A3) hands the range on to SUM and friends.
Value Pick(const Operand& operand, const CellSource& source) {
    if (operand.ref && operand.ref->kind == TokenKind::Range) return Value::Array(ToMatrix(operand, source));
    return operand.value.kind == Value::Kind::Array ? operand.value : Scalar(operand, source);
}

Value If(Args args, const CellSource& source) {
    Value condition = ToBool(Scalar(args[0], source));
    if (condition.IsError()) return condition;
    if (condition.boolean)
        return args[1].ref || args[1].value.kind != Value::Kind::Empty ? Pick(args[1], source) : Value::Number(0);
    if (args.size() < 3) return Value::Bool(false);
    return args[2].ref || args[2].value.kind != Value::Kind::Empty ? Pick(args[2], source) : Value::Number(0);
}

Value Ifs(Args args, const CellSource& source) {
    if (args.size() % 2) return Value::Error(ErrorCode::Value);
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        Value condition = ToBool(Scalar(args[i], source));
        if (condition.IsError()) return condition;
        if (condition.boolean) return Pick(args[i + 1], source);
    }
    return Value::Error(ErrorCode::NA);
}

Value IfError(Args args, const CellSource& source) {
    Value v = Scalar(args[0], source);
    return v.IsError() ? Pick(args[1], source) : Pick(args[0], source);
}

Value IfNa(Args args, const CellSource& source) {
    Value v = Scalar(args[0], source);
    return v.IsError() && v.error == ErrorCode::NA ? Pick(args[1], source) : Pick(args[0], source);
}

Value Choose(Args args, const CellSource& source) {
    Value index = ToNumber(Scalar(args[0], source), source.Dates());
    if (index.IsError()) return index;
    double i = std::trunc(index.number);
    if (i < 1 || i >= static_cast<double>(args.size())) return Value::Error(ErrorCode::Value);
    return Pick(args[static_cast<size_t>(i)], source);
}

Value Switch(Args args, const CellSource& source) {
    Value subject = Scalar(args[0], source);
    if (subject.IsError()) return subject;
    size_t i = 1;
    for (; i + 1 < args.size(); i += 2) {
        Value candidate = Scalar(args[i], source);
        if (candidate.IsError()) return candidate;
        if (candidate.kind == subject.kind && CompareValues(candidate, subject) == 0) return Pick(args[i + 1], source);
    }
    return i < args.size() ? Pick(args[i], source) : Value::Error(ErrorCode::NA);
}

Value True(Args, const CellSource&) {
    return Value::Bool(true);
}
Value False(Args, const CellSource&) {
    return Value::Bool(false);
}
Value Na(Args, const CellSource&) {
    return Value::Error(ErrorCode::NA);
}

template <bool Test(const Value&)>
Value Is(Args args, const CellSource& source) {
    return Value::Bool(Test(Scalar(args[0], source)));
}

bool Blank(const Value& v) {
    return v.kind == Value::Kind::Empty;
}
bool IsNumberValue(const Value& v) {
    return v.kind == Value::Kind::Number;
}
bool IsTextValue(const Value& v) {
    return v.kind == Value::Kind::String;
}
bool IsLogicalValue(const Value& v) {
    return v.kind == Value::Kind::Bool;
}
bool AnyError(const Value& v) {
    return v.IsError();
}
bool ErrorButNa(const Value& v) {
    return v.IsError() && v.error != ErrorCode::NA;
}
bool NaError(const Value& v) {
    return v.IsError() && v.error == ErrorCode::NA;
}

// The position (0-based) of a value in a list: exact (case-insensitive, wildcards for text), or
// for sorted lists the last entry not greater (ascending) or not smaller (descending).
std::optional<size_t> FindInList(const std::vector<const Value*>& list, const Value& key, int mode) {
    if (mode == 0) {
        Value criterion = key;
        for (size_t i = 0; i < list.size(); ++i) {
            const Value& v = *list[i];
            // Text against text: the date system never enters.
            bool same = key.kind == Value::Kind::String
                            ? v.kind == Value::Kind::String &&
                                  MeetsCriterion(Value::String("=" + key.text), v, DateSystem::From1900)
                            : v.kind == key.kind && CompareValues(v, key) == 0;
            if (same) return i;
        }
        return std::nullopt;
    }
    std::optional<size_t> found;
    for (size_t i = 0; i < list.size(); ++i) {
        const Value& v = *list[i];
        if (v.kind == Value::Kind::Empty || v.IsError()) continue;
        int c = CompareValues(v, key);
        if (mode > 0 ? c <= 0 : c >= 0) {
            found = i;
        } else {
            break;
        }
    }
    return found;
}

std::vector<const Value*> Line(const Matrix& m, bool column, int index) {
    std::vector<const Value*> line;
    int length = column ? m.rows : m.columns;
    for (int i = 0; i < length; ++i) line.push_back(column ? &m.At(i, index) : &m.At(index, i));
    return line;
}

Value Lookup2D(Args args, const CellSource& source, bool vertical) {
    Value key = Scalar(args[0], source);
    if (key.IsError()) return key;
    Matrix table = ToMatrix(args[1], source);
    Value index = ToNumber(Scalar(args[2], source), source.Dates());
    if (index.IsError()) return index;
    bool sorted = true;
    if (args.size() > 3) {
        Value s = ToBool(Scalar(args[3], source));
        if (s.IsError()) return s;
        sorted = s.boolean;
    }
    int offset = static_cast<int>(std::trunc(index.number)) - 1;
    if (offset < 0) return Value::Error(ErrorCode::Value);
    if (offset >= (vertical ? table.columns : table.rows)) return Value::Error(ErrorCode::Ref);
    std::optional<size_t> at = FindInList(Line(table, vertical, 0), key, sorted ? 1 : 0);
    if (!at) return Value::Error(ErrorCode::NA);
    const Value& v = vertical ? table.At(static_cast<int>(*at), offset) : table.At(offset, static_cast<int>(*at));
    return v.kind == Value::Kind::Empty ? Value::Number(0) : v;
}

template <bool Vertical>
Value LookupOf(Args a, const CellSource& s) {
    return Lookup2D(a, s, Vertical);
}

Value Lookup(Args args, const CellSource& source) {
    Value key = Scalar(args[0], source);
    if (key.IsError()) return key;
    Matrix where = ToMatrix(args[1], source);
    bool vertical = where.rows >= where.columns;
    Matrix result = args.size() > 2 ? ToMatrix(args[2], source) : where;
    std::optional<size_t> at = FindInList(Line(where, vertical, 0), key, 1);
    if (!at) return Value::Error(ErrorCode::NA);
    std::vector<const Value*> values = args.size() > 2
                                           ? Line(result, result.rows >= result.columns, 0)
                                           : Line(where, vertical, vertical ? where.columns - 1 : where.rows - 1);
    return *at < values.size() ? *values[*at] : Value::Error(ErrorCode::NA);
}

Value Match(Args args, const CellSource& source) {
    Value key = Scalar(args[0], source);
    if (key.IsError()) return key;
    Matrix where = ToMatrix(args[1], source);
    if (where.rows != 1 && where.columns != 1) return Value::Error(ErrorCode::NA);
    double mode = 1;
    if (args.size() > 2) {
        Value m = ToNumber(Scalar(args[2], source), source.Dates());
        if (m.IsError()) return m;
        mode = m.number;
    }
    std::optional<size_t> at = FindInList(Line(where, where.columns == 1, 0), key, mode > 0 ? 1 : mode < 0 ? -1 : 0);
    return at ? Value::Number(static_cast<double>(*at + 1)) : Value::Error(ErrorCode::NA);
}

// The row and column INDEX picks in a block of the given size, 0 standing for all of them;
// INDEX(row, k) picks along a single row.
std::optional<Value> IndexPlace(Args args, const CellSource& source, int rows, int columns, int& row, int& column) {
    double n[2] = {0.0, 0.0};
    if (auto error = Numbers(args.subspan(1), source, std::span(n, args.size() - 1))) return error;
    row = static_cast<int>(n[0]);
    column = static_cast<int>(n[1]);
    if (args.size() == 2 && rows == 1) std::swap(row, column);
    if (row < 0 || column < 0 || row > rows || column > columns) return Value::Error(ErrorCode::Ref);
    return std::nullopt;
}

// The row, the column or the whole of the block where `row` or `column` is 0.
Matrix Slice(const Matrix& m, int row, int column) {
    Matrix part;
    part.rows = row == 0 ? m.rows : 1;
    part.columns = column == 0 ? m.columns : 1;
    for (int r = 0; r < part.rows; ++r) {
        for (int c = 0; c < part.columns; ++c) {
            part.cells.push_back(m.At(row == 0 ? r : row - 1, column == 0 ? c : column - 1));
        }
    }
    return part;
}

Value Index(Args args, const CellSource& source) {
    Matrix m = ToMatrix(args[0], source);
    int row = 0, column = 0;
    if (auto error = IndexPlace(args, source, m.rows, m.columns, row, column)) return *error;
    if (row == 0 || column == 0) return Value::Array(Slice(m, row, column));
    const Value& v = m.At(row - 1, column - 1);
    return v.kind == Value::Kind::Empty ? Value::Number(0) : v;
}

// Of a reference INDEX gives the cell, row or column it picks as a reference, so that
// ROW(INDEX(B1:B5,3)) is 3; of an array, its values.
Operand IndexReference(Args args, const CellSource& source, MadeReferences& made) {
    if (!args[0].ref || !args[0].areas.empty()) return Index(args, source);
    const Token& area = *args[0].ref;
    int row = 0, column = 0;
    if (auto error = IndexPlace(args, source, area.last.row->index - area.first.row->index + 1,
                                area.last.column - area.first.column + 1, row, column)) {
        return *error;
    }
    Token part = area;
    if (row > 0) {
        part.first.row = part.last.row = made.Row(area.first.row->sheet, area.first.row->index + row - 1);
        part.shape = RangeShape::Cells;
    }
    if (column > 0) {
        part.first.column = part.last.column = area.first.column + column - 1;
    }
    bool single = part.first.row == part.last.row && part.first.column == part.last.column;
    part.kind = single ? TokenKind::Ref : TokenKind::Range;
    return {Value(), &made.Add(std::move(part))};
}

// ROW, COLUMN, ROWS, COLUMNS: of the reference given, or of the formula's own cell.
Value RowOrColumn(Args args, const CellSource& source, bool row) {
    if (args.empty() || (args[0].value.kind == Value::Kind::Empty && !args[0].ref)) {
        auto [r, c] = source.CurrentCell();
        return Value::Number(row ? r : c);
    }
    if (!args[0].ref) return Value::Error(ErrorCode::Value);
    return Value::Number(row ? args[0].ref->first.row->index : args[0].ref->first.column);
}

template <bool OfRow>
Value Position(Args a, const CellSource& s) {
    return RowOrColumn(a, s, OfRow);
}

Value Extent(Args args, const CellSource& source, bool rows) {
    if (const Token* ref = args[0].ref) {
        return Value::Number(rows ? ref->last.row->index - ref->first.row->index + 1
                                  : ref->last.column - ref->first.column + 1);
    }
    Matrix m = ToMatrix(args[0], source);
    return Value::Number(rows ? m.rows : m.columns);
}

template <bool OfRows>
Value ExtentOf(Args a, const CellSource& s) {
    return Extent(a, s, OfRows);
}

constexpr FunctionDef kLogic[] = {
    {"AND", 1, kManyArgs, And},
    {"OR", 1, kManyArgs, Or},
    {"XOR", 1, kManyArgs, Xor},
    {"NOT", 1, 1, Not},
    {"IF", 2, 3, If},
    {"IFS", 2, kManyArgs, Ifs},
    {"IFERROR", 2, 2, IfError},
    {"IFNA", 2, 2, IfNa},
    {"CHOOSE", 2, kManyArgs, Choose},
    {"SWITCH", 3, kManyArgs, Switch},
    {"TRUE", 0, 0, True},
    {"FALSE", 0, 0, False},
    {"NA", 0, 0, Na},
    {"ISBLANK", 1, 1, Is<Blank>},
    {"ISNUMBER", 1, 1, Is<IsNumberValue>},
    {"ISTEXT", 1, 1, Is<IsTextValue>},
    {"ISLOGICAL", 1, 1, Is<IsLogicalValue>},
    {"ISERROR", 1, 1, Is<AnyError>},
    {"ISERR", 1, 1, Is<ErrorButNa>},
    {"ISNA", 1, 1, Is<NaError>},
    {"VLOOKUP", 3, 4, LookupOf<true>, true},
    {"HLOOKUP", 3, 4, LookupOf<false>, true},
    {"LOOKUP", 2, 3, Lookup, true},
    {"MATCH", 2, 3, Match, true},
    {"INDEX", 2, 3, Index, true, IndexReference},
    {"ROW", 0, 1, Position<true>},
    {"COLUMN", 0, 1, Position<false>},
    {"ROWS", 1, 1, ExtentOf<true>},
    {"COLUMNS", 1, 1, ExtentOf<false>},
};

}  // namespace

std::span<const FunctionDef> LogicFunctions() {
    return kLogic;
}

}  // namespace keltrov::sheet
