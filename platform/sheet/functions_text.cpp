// Text functions; positions and lengths count characters of UTF-8 text, not bytes.
#include <cmath>

#include "platform/sheet/functions.hpp"
#include "platform/sheet/number_format.hpp"
#include "platform/util/utf8.hpp"

namespace keltrov::sheet {
namespace {

std::string Substring(std::string_view text, size_t first, size_t count) {
    return std::string(utf8::Substring(text, first, count));
}

// The text of an argument; an error value carries the failure.
Value Text(const Operand& operand, const CellSource& source) {
    return ToText(Scalar(operand, source));
}

// A count argument (LEFT's length, MID's start): trunc'ed, with its least allowed value.
std::optional<Value> CountArg(Args args, size_t i, const CellSource& source, double least, double fallback,
                              double& out) {
    if (i >= args.size()) {
        out = fallback;
        return std::nullopt;
    }
    Value n = ToNumber(Scalar(args[i], source), source.Dates());
    if (n.IsError()) return n;
    out = std::trunc(n.number);
    if (out < least) return Value::Error(ErrorCode::Value);
    return std::nullopt;
}

Value Concat(Args args, const CellSource& source) {
    std::string joined;
    std::optional<ErrorCode> error;
    for (const Operand& arg : args) {
        ForEachValue(arg, source, [&](const Value& v, bool) {
            Value t = ToText(v);
            t.IsError() ? void(error = error ? error : t.error) : void(joined += t.text);
        });
        if (joined.size() > 4 * kMaxTextLength) break;
    }
    return error ? Value::Error(*error) : TextResult(std::move(joined));
}

Value TextJoin(Args args, const CellSource& source) {
    Value separator = Text(args[0], source);
    Value skip = ToBool(Scalar(args[1], source));
    if (separator.IsError()) return separator;
    if (skip.IsError()) return skip;
    std::string joined;
    bool first = true;
    std::optional<ErrorCode> error;
    for (const Operand& arg : args.subspan(2)) {
        ForEachValue(arg, source, [&](const Value& v, bool) {
            Value t = ToText(v);
            if (t.IsError()) {
                error = error ? error : t.error;
                return;
            }
            if (skip.boolean && t.text.empty()) return;
            joined += (first ? "" : separator.text) + t.text;
            first = false;
        });
        if (joined.size() > 4 * kMaxTextLength) break;
    }
    return error ? Value::Error(*error) : TextResult(std::move(joined));
}

Value LeftOrRight(Args args, const CellSource& source, bool left) {
    Value t = Text(args[0], source);
    if (t.IsError()) return t;
    double count = 1;
    if (auto error = CountArg(args, 1, source, 0, 1, count)) return *error;
    size_t length = utf8::Length(t.text);
    size_t n = std::min<double>(count, static_cast<double>(length));
    return Value::String(left ? Substring(t.text, 0, n) : Substring(t.text, length - n, n));
}

template <bool FromLeft>
Value Side(Args a, const CellSource& s) {
    return LeftOrRight(a, s, FromLeft);
}

Value Mid(Args args, const CellSource& source) {
    Value t = Text(args[0], source);
    if (t.IsError()) return t;
    double start = 1, count = 0;
    if (auto error = CountArg(args, 1, source, 1, 1, start)) return *error;
    if (auto error = CountArg(args, 2, source, 0, 0, count)) return *error;
    size_t length = utf8::Length(t.text);
    if (start > static_cast<double>(length)) return Value::String("");
    return Value::String(
        Substring(t.text, static_cast<size_t>(start) - 1, std::min<double>(count, static_cast<double>(length))));
}

Value Len(Args args, const CellSource& source) {
    Value t = Text(args[0], source);
    return t.IsError() ? t : Value::Number(static_cast<double>(utf8::Length(t.text)));
}

Value Trim(Args args, const CellSource& source) {
    Value t = Text(args[0], source);
    if (t.IsError()) return t;
    std::string out;
    for (char ch : t.text) {
        if (ch == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += ch;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return Value::String(out);
}

// UPPER, LOWER, PROPER on ASCII letters; other scripts have no case that wage captions use.
Value CaseChange(Args args, const CellSource& source, int mode) {
    Value t = Text(args[0], source);
    if (t.IsError()) return t;
    bool wordStart = true;
    for (char& ch : t.text) {
        auto byte = static_cast<unsigned char>(ch);
        bool letter = std::isalpha(byte);
        if (mode == 0 || (mode == 2 && wordStart)) {
            ch = static_cast<char>(std::toupper(byte));
        } else if (letter) {
            ch = static_cast<char>(std::tolower(byte));
        }
        wordStart = !letter && byte < 0x80;
    }
    return t;
}

template <int Mode>
Value CaseOf(Args a, const CellSource& s) {
    return CaseChange(a, s, Mode);
}

Value Substitute(Args args, const CellSource& source) {
    Value t = Text(args[0], source), from = Text(args[1], source), to = Text(args[2], source);
    for (const Value* v : {&t, &from, &to}) {
        if (v->IsError()) return *v;
    }
    double which = 0;
    if (auto error = CountArg(args, 3, source, 1, 0, which)) return *error;
    if (from.text.empty()) return t;
    std::string out;
    size_t pos = 0, seen = 0;
    for (size_t hit; (hit = t.text.find(from.text, pos)) != std::string::npos; pos = hit + from.text.size()) {
        ++seen;
        out += t.text.substr(pos, hit - pos);
        out += which == 0 || static_cast<double>(seen) == which ? to.text : from.text;
        if (out.size() > 4 * kMaxTextLength) return Value::Error(ErrorCode::Value);
    }
    return TextResult(out + t.text.substr(pos));
}

Value Replace(Args args, const CellSource& source) {
    Value t = Text(args[0], source), with = Text(args[3], source);
    if (t.IsError()) return t;
    if (with.IsError()) return with;
    double start = 1, count = 0;
    if (auto error = CountArg(args, 1, source, 1, 1, start)) return *error;
    if (auto error = CountArg(args, 2, source, 0, 0, count)) return *error;
    size_t length = utf8::Length(t.text);
    size_t first = std::min<double>(start - 1, static_cast<double>(length));
    size_t removed = std::min<double>(count, static_cast<double>(length - first));
    return TextResult(Substring(t.text, 0, first) + with.text + Substring(t.text, first + removed, length));
}

// FIND (exact) and SEARCH (case-insensitive, wildcards): the 1-based character position.
Value FindText(Args args, const CellSource& source, bool search) {
    Value needle = Text(args[0], source), hay = Text(args[1], source);
    if (needle.IsError()) return needle;
    if (hay.IsError()) return hay;
    double start = 1;
    if (auto error = CountArg(args, 2, source, 1, 1, start)) return *error;
    size_t length = utf8::Length(hay.text);
    if (start > static_cast<double>(length) + 1) return Value::Error(ErrorCode::Value);
    size_t from = static_cast<size_t>(start) - 1;
    for (size_t i = from; i <= length; ++i) {
        std::string rest = Substring(hay.text, i, length);
        bool hit = search ? MeetsCriterion(Value::String("=" + needle.text + "*"), Value::String(rest), source.Dates())
                          : rest.starts_with(needle.text);
        if (hit) return Value::Number(static_cast<double>(i + 1));
    }
    return Value::Error(ErrorCode::Value);
}

template <bool Searching>
Value FindOf(Args a, const CellSource& s) {
    return FindText(a, s, Searching);
}

Value TextFormat(Args args, const CellSource& source) {
    Value v = Scalar(args[0], source);
    Value code = Text(args[1], source);
    if (v.IsError()) return v;
    if (code.IsError()) return code;
    Value n = ToNumber(v, source.Dates());
    if (n.IsError()) return ToText(v);
    return TextResult(FormatNumber(n.number, code.text, source.Dates()));
}

Value ValueOf(Args args, const CellSource& source) {
    Value v = Scalar(args[0], source);
    if (v.kind == Value::Kind::Bool) return Value::Error(ErrorCode::Value);
    return ToNumber(v, source.Dates());
}

Value Rept(Args args, const CellSource& source) {
    Value t = Text(args[0], source);
    if (t.IsError()) return t;
    double times = 0;
    if (auto error = CountArg(args, 1, source, 0, 0, times)) return *error;
    if (times * static_cast<double>(utf8::Length(t.text)) > static_cast<double>(kMaxTextLength)) {
        return Value::Error(ErrorCode::Value);
    }
    std::string out;
    for (double i = 0; i < times; ++i) out += t.text;
    return Value::String(out);
}

Value Exact(Args args, const CellSource& source) {
    Value a = Text(args[0], source), b = Text(args[1], source);
    if (a.IsError()) return a;
    if (b.IsError()) return b;
    return Value::Bool(a.text == b.text);
}

Value Fixed(Args args, const CellSource& source) {
    double n[3] = {0.0, 2.0, 0.0};
    if (auto error = Numbers(args, source, std::span(n, args.size()))) return *error;
    int decimals = static_cast<int>(std::clamp(std::trunc(n[1]), -15.0, 127.0));
    std::string code = n[2] != 0.0 ? "0" : "#,##0";
    if (decimals > 0) code += "." + std::string(static_cast<size_t>(decimals), '0');
    double scale = std::pow(10.0, decimals);
    return Value::String(FormatNumber(std::round(ToSignificant15(n[0] * scale)) / scale, code));
}

Value T(Args args, const CellSource& source) {
    Value v = Scalar(args[0], source);
    return v.kind == Value::Kind::String || v.IsError() ? v : Value::String("");
}

Value N(Args args, const CellSource& source) {
    Value v = Scalar(args[0], source);
    if (v.IsError()) return v;
    return Value::Number(v.kind == Value::Kind::Number              ? v.number
                         : v.kind == Value::Kind::Bool && v.boolean ? 1.0
                                                                    : 0.0);
}

constexpr FunctionDef kText[] = {
    {"CONCATENATE", 1, kManyArgs, Concat},
    {"CONCAT", 1, kManyArgs, Concat},
    {"TEXTJOIN", 3, kManyArgs, TextJoin},
    {"LEFT", 1, 2, Side<true>},
    {"RIGHT", 1, 2, Side<false>},
    {"MID", 3, 3, Mid},
    {"LEN", 1, 1, Len},
    {"TRIM", 1, 1, Trim},
    {"UPPER", 1, 1, CaseOf<0>},
    {"LOWER", 1, 1, CaseOf<1>},
    {"PROPER", 1, 1, CaseOf<2>},
    {"SUBSTITUTE", 3, 4, Substitute},
    {"REPLACE", 4, 4, Replace},
    {"FIND", 2, 3, FindOf<false>},
    {"SEARCH", 2, 3, FindOf<true>},
    {"TEXT", 2, 2, TextFormat},
    {"VALUE", 1, 1, ValueOf},
    {"REPT", 2, 2, Rept},
    {"EXACT", 2, 2, Exact},
    {"FIXED", 1, 3, Fixed},
    {"T", 1, 1, T},
    {"N", 1, 1, N},
};

}  // namespace

std::span<const FunctionDef> TextFunctions() {
    return kText;
}

}  // namespace keltrov::sheet
