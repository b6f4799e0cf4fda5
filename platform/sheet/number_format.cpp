#include "platform/sheet/number_format.hpp"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace keltrov::sheet {
namespace {

// One section of a format code, reduced to what the control renders.
struct Section {
    std::string prefix;
    std::string suffix;
    int integerZeros = 0;
    int requiredDecimals = 0;
    int optionalDecimals = 0;
    bool hasDigits = false;
    bool thousands = false;
    bool percent = false;
    bool dateOrTime = false;
};

std::vector<std::string_view> SplitSections(std::string_view code) {
    std::vector<std::string_view> sections;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < code.size(); ++i) {
        if (code[i] == '"') {
            quoted = !quoted;
        } else if (code[i] == '\\') {
            ++i;
        } else if (code[i] == ';' && !quoted) {
            sections.push_back(code.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(code.substr(start));
    return sections;
}

bool IsDateLetter(char ch) {
    char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's';
}

Section ParseSection(std::string_view code) {
    Section s;
    bool afterPoint = false;
    auto literal = [&s](std::string_view text) { (s.hasDigits ? s.suffix : s.prefix) += text; };
    for (size_t i = 0; i < code.size(); ++i) {
        char ch = code[i];
        if (ch == '"') {
            size_t close = code.find('"', i + 1);
            close = close == std::string_view::npos ? code.size() : close;
            literal(code.substr(i + 1, close - i - 1));
            i = close;
        } else if (ch == '\\' && i + 1 < code.size()) {
            literal(code.substr(++i, 1));
        } else if (ch == '[') {
            size_t close = code.find(']', i);
            i = close == std::string_view::npos ? code.size() : close;
        } else if (ch == '_' || ch == '*') {
            ++i;
            literal(ch == '_' ? " " : "");
        } else if (ch == '0' || ch == '#' || ch == '?') {
            if (afterPoint) {
                (ch == '0' ? s.requiredDecimals : s.optionalDecimals) += 1;
            } else {
                s.integerZeros += ch == '0' ? 1 : 0;
            }
            s.hasDigits = true;
        } else if (ch == '.' && !afterPoint) {
            afterPoint = true;
        } else if (ch == ',' && s.hasDigits && !afterPoint) {
            s.thousands = true;
        } else if (ch == '%') {
            s.percent = true;
            literal("%");
        } else if (IsDateLetter(ch)) {
            s.dateOrTime = true;
        } else {
            literal(code.substr(i, 1));
        }
    }
    return s;
}

std::string GroupThousands(const std::string& digits) {
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

// Rounds half away from zero at 15 significant digits, as spreadsheet apps display (printf rounds half to
// even).
double RoundForDisplay(double magnitude, int decimals) {
    double scale = std::pow(10.0, decimals);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", magnitude * scale);
    return std::round(std::strtod(buffer, nullptr)) / scale;
}

std::string RenderDigits(double magnitude, const Section& s) {
    int places = s.requiredDecimals + s.optionalDecimals;
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", places, RoundForDisplay(magnitude, places));
    std::string text = buffer;
    size_t point = text.find('.');
    std::string integer = text.substr(0, point);
    std::string decimals = point == std::string::npos ? "" : text.substr(point + 1);
    while (decimals.size() > static_cast<size_t>(s.requiredDecimals) && decimals.back() == '0') {
        decimals.pop_back();
    }
    if (integer == "0" && s.integerZeros == 0) {
        integer.clear();
    }
    if (integer.size() < static_cast<size_t>(s.integerZeros)) {
        integer.insert(0, s.integerZeros - integer.size(), '0');
    }
    if (s.thousands) {
        integer = GroupThousands(integer);
    }
    return decimals.empty() ? integer : integer + "." + decimals;
}

bool IsGeneral(std::string_view code) {
    if (code.empty() || code == "@") {
        return true;
    }
    std::string lower;
    for (char ch : code) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    return lower == "general";
}

constexpr std::array<std::pair<size_t, std::string_view>, 14> kBuiltinFormats{{
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {48, "##0.0E+0"},
    {49, "@"},
}};

}  // namespace

std::string FormatGeneral(double number) {
    char buffer[64];
    if (std::fabs(number) < 1e15 && number == std::trunc(number)) {
        std::snprintf(buffer, sizeof buffer, "%.0f", number == 0.0 ? 0.0 : number);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.10G", number);
    }
    return buffer;
}

std::string FormatNumber(double number, std::string_view formatCode) {
    if (IsGeneral(formatCode)) {
        return FormatGeneral(number);
    }
    std::vector<std::string_view> sections = SplitSections(formatCode);
    size_t index = number < 0 && sections.size() >= 2 ? 1 : number == 0 && sections.size() >= 3 ? 2 : 0;
    Section s = ParseSection(sections[index]);
    if (s.dateOrTime || IsGeneral(sections[index])) {
        return FormatGeneral(number);
    }
    // Only the first section shows its own minus sign; the negative section writes its own marks.
    std::string sign = number < 0 && index == 0 ? "-" : "";
    if (!s.hasDigits) {
        return sign + s.prefix;
    }
    double magnitude = std::fabs(number) * (s.percent ? 100.0 : 1.0);
    return sign + s.prefix + RenderDigits(magnitude, s) + s.suffix;
}

std::string_view BuiltinNumberFormat(size_t id) {
    for (const auto& [builtinId, code] : kBuiltinFormats) {
        if (builtinId == id) {
            return code;
        }
    }
    return {};
}

}  // namespace keltrov::sheet
