#include "platform/sheet/value.hpp"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "platform/util/calendar.hpp"

namespace keltrov::sheet {
namespace {

constexpr std::array<std::pair<ErrorCode, std::string_view>, 8> kErrorTexts{{
    {ErrorCode::Div0, "#DIV/0!"},
    {ErrorCode::Value, "#VALUE!"},
    {ErrorCode::Ref, "#REF!"},
    {ErrorCode::Name, "#NAME?"},
    {ErrorCode::Num, "#NUM!"},
    {ErrorCode::NA, "#N/A"},
    {ErrorCode::Null, "#NULL!"},
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

Value Value::Array(Matrix m) {
    Value v;
    v.kind = Kind::Array;
    v.array = std::make_shared<const Matrix>(std::move(m));
    return v;
}

namespace {

// A plain decimal or scientific number with nothing around it.
// Up to 15 digits and nothing else: a whole number a double holds exactly, as most numbers in files
// are, so it needs no general conversion.
std::optional<double> ShortWholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 15) {
        return std::nullopt;
    }
    uint64_t whole = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') {
            return std::nullopt;
        }
        whole = whole * 10 + static_cast<uint64_t>(ch - '0');
    }
    return static_cast<double>(whole);
}

std::optional<double> PlainNumber(std::string_view text) {
    if (std::optional<double> whole = ShortWholeNumber(text)) {
        return whole;
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
    return value;
}

// "1,234,567.5": groups of three digits after the first comma.
std::optional<double> GroupedNumber(std::string_view text) {
    size_t point = text.find_first_of(".eE");
    std::string_view whole = text.substr(0, point);
    std::string digits;
    size_t group = 0;
    bool grouped = false;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (whole[i] == ',') {
            if (i == 0 || (grouped && group != 3)) {
                return std::nullopt;
            }
            grouped = true;
            group = 0;
        } else {
            digits += whole[i];
            ++group;
        }
    }
    if (!grouped || group != 3) {
        return std::nullopt;
    }
    return PlainNumber(digits + std::string(point == std::string_view::npos ? "" : text.substr(point)));
}

std::optional<int> SmallNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 4 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return std::stoi(std::string(digits));
}

std::vector<std::string_view> SplitOn(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// "12:30" or "12:30:15.5" as a fraction of a day.
std::optional<double> TimeOfDay(std::string_view text) {
    std::vector<std::string_view> parts = SplitOn(text, ':');
    if (parts.size() < 2 || parts.size() > 3) {
        return std::nullopt;
    }
    std::optional<int> hours = SmallNumber(parts[0]);
    std::optional<int> minutes = SmallNumber(parts[1]);
    std::optional<double> seconds = parts.size() == 3 ? PlainNumber(parts[2]) : 0.0;
    if (!hours || !minutes || !seconds || *minutes > 59 || *seconds >= 60) {
        return std::nullopt;
    }
    return (*hours * 3600.0 + *minutes * 60.0 + *seconds) / 86400.0;
}

int CurrentYear() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

// "2024-03-01" or "2024/3/1" as a serial day; "3/1" is a day of the current year, as the
// applications read it.
std::optional<double> CalendarDate(std::string_view text) {
    char separator = text.find('-') != std::string_view::npos ? '-' : '/';
    std::vector<std::string_view> parts = SplitOn(text, separator);
    if (parts.size() == 2 && parts[0].size() <= 2) {
        parts.insert(parts.begin(), std::string_view());
    } else if (parts.size() != 3 || parts[0].size() != 4) {
        return std::nullopt;
    }
    std::optional<int> year = parts[0].empty() ? std::optional(CurrentYear()) : SmallNumber(parts[0]);
    std::optional<int> month = SmallNumber(parts[1]);
    std::optional<int> day = SmallNumber(parts[2]);
    if (!year || !month || !day || *year < 1900 || *month < 1 || *month > 12 || *day < 1 ||
        *day > calendar::DaysInMonth(*year, *month)) {
        return std::nullopt;
    }
    return SerialDate(*year, *month, *day);
}

// A calendar date as a serial day of the workbook's date system; none before the system's day 0.
std::optional<double> SystemDate(std::string_view text, DateSystem dates) {
    std::optional<double> serial = CalendarDate(text);
    if (!serial || *serial < DaysBefore(dates)) {
        return std::nullopt;
    }
    return *serial - DaysBefore(dates);
}

std::optional<double> DateTime(std::string_view text, DateSystem dates) {
    size_t blank = text.find(' ');
    if (blank == std::string_view::npos) {
        return text.find(':') != std::string_view::npos ? TimeOfDay(text) : SystemDate(text, dates);
    }
    std::optional<double> date = SystemDate(text.substr(0, blank), dates);
    std::optional<double> time = TimeOfDay(TrimBlanks(text.substr(blank)));
    return date && time ? std::optional<double>(*date + *time) : std::nullopt;
}

std::optional<double> UnsignedNumber(std::string_view text, DateSystem dates) {
    for (std::string_view currency : {"$", "¥", "￥"}) {
        if (text.starts_with(currency)) {
            text.remove_prefix(currency.size());
            break;
        }
    }
    if (std::optional<double> plain = PlainNumber(text)) {
        return plain;
    }
    if (std::optional<double> grouped = GroupedNumber(text)) {
        return grouped;
    }
    return DateTime(text, dates);
}

}  // namespace

std::optional<double> ParseDateTime(std::string_view text, DateSystem dates) {
    return DateTime(TrimBlanks(text), dates);
}

std::optional<double> ParseNumber(std::string_view text, DateSystem dates) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double scale = 1.0;
    if (text.ends_with('%')) {
        scale = 0.01;
        text = TrimBlanks(text.substr(0, text.size() - 1));
    }
    std::optional<double> value = UnsignedNumber(text, dates);
    if (!value) {
        return std::nullopt;
    }
    return (negative ? -*value : *value) * scale;
}

std::optional<double> ParsePlainNumber(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    std::optional<double> value = PlainNumber(text);
    return value && negative ? std::optional(-*value) : value;
}

double SerialDate(long long year, long long month, long long day) {
    return static_cast<double>(calendar::SerialDay(year, month, day));
}

double ToSignificant15(double number) {
    if (number == 0.0 || !std::isfinite(number)) {
        return number;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", number);
    return std::strtod(buffer, nullptr);
}

std::string NumberToText(double number) {
    if (number == 0.0) {
        return "0";
    }
    double magnitude = std::fabs(number);
    char buffer[48];
    if (magnitude >= 1e15 || magnitude < 1e-9) {
        std::snprintf(buffer, sizeof buffer, "%.14E", number);
        std::string text = buffer;
        size_t e = text.find('E');
        std::string mantissa = text.substr(0, e);
        while (mantissa.back() == '0') {
            mantissa.pop_back();
        }
        if (mantissa.back() == '.') {
            mantissa.pop_back();
        }
        int exponent = std::stoi(text.substr(e + 1));
        std::snprintf(buffer, sizeof buffer, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return mantissa + buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%.15g", number);
    std::string text = buffer;
    if (text.find('e') != std::string::npos) {  // %g chose an exponent for a small number: write it out
        int decimals = 15 - static_cast<int>(std::floor(std::log10(magnitude))) - 1;
        std::snprintf(buffer, sizeof buffer, "%.*f", std::min(decimals, 30), number);
        text = buffer;
        while (text.back() == '0') {
            text.pop_back();
        }
    }
    return text;
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
        char upper = ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        if (upper < 'A' || upper > 'Z') {
            return 0;
        }
        column = column * 26 + (upper - 'A' + 1);
    }
    return column <= kMaxColumns ? column : 0;
}

}  // namespace keltrov::sheet
