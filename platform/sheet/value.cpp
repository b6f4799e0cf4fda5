#include "platform/sheet/value.hpp"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

namespace keltrov::sheet {
namespace {

constexpr std::array<std::pair<ErrorCode, std::string_view>, 7> kErrorTexts{{
    {ErrorCode::Div0, "#DIV/0!"},
    {ErrorCode::Value, "#VALUE!"},
    {ErrorCode::Ref, "#REF!"},
    {ErrorCode::Name, "#NAME?"},
    {ErrorCode::Num, "#NUM!"},
    {ErrorCode::NA, "#N/A"},
    {ErrorCode::Circular, "#CIRC!"},
}};

std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos) {
        return {};
    }
    size_t end = text.find_last_not_of(kBlanks);
    return text.substr(begin, end - begin + 1);
}

}  // namespace

Value Value::Number(double n) {
    Value v;
    v.kind = Kind::Number;
    v.number = n;
    return v;
}

Value Value::String(std::string s) {
    Value v;
    v.kind = Kind::String;
    v.text = std::move(s);
    return v;
}

Value Value::Bool(bool b) {
    Value v;
    v.kind = Kind::Bool;
    v.boolean = b;
    return v;
}

Value Value::Error(ErrorCode e) {
    Value v;
    v.kind = Kind::Error;
    v.error = e;
    return v;
}

std::string_view ErrorText(ErrorCode code) {
    for (const auto& [c, text] : kErrorTexts) {
        if (c == code) {
            return text;
        }
    }
    return "#VALUE!";
}

std::optional<ErrorCode> ErrorFromText(std::string_view text) {
    for (const auto& [c, t] : kErrorTexts) {
        if (t == text) {
            return c;
        }
    }
    return std::nullopt;
}

std::optional<double> ParseNumber(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would take "inf", "nan" and a second sign; spreadsheet apps take none of them.
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.')) {
        return std::nullopt;
    }
    double value = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::string ColumnName(int column) {
    std::string name;
    while (column > 0) {
        int digit = (column - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + digit));
        column = (column - 1) / 26;
    }
    return name;
}

int ColumnFromName(std::string_view letters) {
    if (letters.empty() || letters.size() > 3) {
        return 0;
    }
    int column = 0;
    for (char ch : letters) {
        char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        if (upper < 'A' || upper > 'Z') {
            return 0;
        }
        column = column * 26 + (upper - 'A' + 1);
    }
    return column <= kMaxColumns ? column : 0;
}

}  // namespace keltrov::sheet
