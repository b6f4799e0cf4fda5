#include "platform/sheet/number_format.hpp"

#include "platform/util/decimal_text.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "platform/sheet/value.hpp"
#include "platform/util/calendar.hpp"

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
    int thousandsScale = 0;
    // Scientific: the exponent's digits and whether it always shows its sign.
    int exponentDigits = 0;
    bool exponentPlus = false;
    // Fractions: the numerator's and the denominator's digits, or a fixed denominator.
    int integerDigits = 0;
    int numeratorDigits = 0;
    int denominatorDigits = 0;
    int fixedDenominator = 0;
    bool wholeWithFraction = false;

    bool IsFraction() const { return denominatorDigits > 0 || fixedDenominator > 0; }
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

char Lower(char ch) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
}

bool IsDateLetter(char ch) {
    char lower = Lower(ch);
    return lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's';
}

// What a bracket holds: a currency tag "[$¥-804]" gives its symbol; colours, locales and
// conditions show nothing.
std::string BracketText(std::string_view inner) {
    if (!inner.starts_with('$')) {
        return "";
    }
    inner.remove_prefix(1);
    return std::string(inner.substr(0, inner.find('-')));
}

// "[h]", "[mm]", "[ss]": elapsed time, not a colour or a locale.
bool IsElapsed(std::string_view inner) {
    if (inner.empty()) return false;
    char first = Lower(inner[0]);
    return (first == 'h' || first == 'm' || first == 's') &&
           inner.find_first_not_of(std::string{inner[0], static_cast<char>(std::toupper(inner[0]))}) ==
               std::string_view::npos;
}

// A section's condition ("[>100]"), if it has one.
struct Condition {
    std::string op;
    double value = 0.0;
    bool Holds(double x) const {
        return op == "<"    ? x < value
               : op == "<=" ? x <= value
               : op == ">"  ? x > value
               : op == ">=" ? x >= value
               : op == "<>" ? x != value
                            : x == value;
    }
};

std::optional<Condition> ReadCondition(std::string_view section) {
    size_t open = section.find('[');
    while (open != std::string_view::npos) {
        size_t close = section.find(']', open);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        std::string_view inner = section.substr(open + 1, close - open - 1);
        if (!inner.empty() && (inner[0] == '<' || inner[0] == '>' || inner[0] == '=')) {
            size_t opLength = inner.size() > 1 && (inner[1] == '=' || inner[1] == '>') ? 2 : 1;
            std::optional<double> value = ParseNumber(inner.substr(opLength));
            if (value) {
                return Condition{std::string(inner.substr(0, opLength)), *value};
            }
        }
        open = section.find('[', close);
    }
    return std::nullopt;
}

void ReadDigitRun(char ch, Section& s, bool afterPoint, bool inExponent, bool inDenominator) {
    if (inExponent) {
        ++s.exponentDigits;
    } else if (inDenominator) {
        ++s.denominatorDigits;
    } else if (afterPoint) {
        (ch == '0' ? s.requiredDecimals : s.optionalDecimals) += 1;
    } else if (s.wholeWithFraction) {
        ++s.numeratorDigits;
    } else {
        s.integerZeros += ch == '0' ? 1 : 0;
        ++s.integerDigits;
    }
    s.hasDigits = true;
}

Section ParseSection(std::string_view code) {
    Section s;
    bool afterPoint = false, inExponent = false, inDenominator = false;
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
            close = close == std::string_view::npos ? code.size() : close;
            std::string_view inner = code.substr(i + 1, close - i - 1);
            s.dateOrTime = s.dateOrTime || IsElapsed(inner);
            literal(BracketText(inner));
            i = close;
        } else if (ch == '_' || ch == '*') {
            ++i;
            literal(ch == '_' ? " " : "");
        } else if ((ch == '0' || ch == '#' || ch == '?') && !s.dateOrTime) {
            ReadDigitRun(ch, s, afterPoint, inExponent, inDenominator);
        } else if (std::isdigit(static_cast<unsigned char>(ch)) && inDenominator) {
            // Denominators past five digits show nothing more; the rest is dropped, not overflowed.
            s.fixedDenominator = s.fixedDenominator < 10000 ? s.fixedDenominator * 10 + (ch - '0') : s.fixedDenominator;
        } else if (ch == '.' && !afterPoint && !inExponent) {
            afterPoint = true;
        } else if (ch == ',' && s.hasDigits) {
            // A comma between integer digits groups thousands; one after the last digit divides by 1000.
            bool between = i + 1 < code.size() && (code[i + 1] == '0' || code[i + 1] == '#' || code[i + 1] == '?');
            s.thousands = s.thousands || (between && !afterPoint);
            s.thousandsScale += between ? 0 : 1;
        } else if (ch == '%') {
            s.percent = true;
            literal("%");
        } else if ((ch == 'E' || ch == 'e') && i + 1 < code.size() && (code[i + 1] == '+' || code[i + 1] == '-') &&
                   s.hasDigits) {
            inExponent = true;
            s.exponentPlus = code[i + 1] == '+';
            ++i;
        } else if (ch == '/' && s.hasDigits) {
            inDenominator = true;
        } else if (ch == ' ' && s.hasDigits && !afterPoint && !inDenominator &&
                   code.find('/', i) != std::string_view::npos) {
            s.wholeWithFraction = true;  // "# ?/?": whole part, then the fraction
        } else if (IsDateLetter(ch) || (Lower(ch) == 'a' && code.substr(i, 5) == "AM/PM")) {
            s.dateOrTime = true;
        } else {
            literal(code.substr(i, 1));
        }
    }
    if (s.IsFraction() && !s.wholeWithFraction) {
        // "?/?": the digits before the slash are the numerator's; there is no whole part.
        s.numeratorDigits = s.integerDigits;
        s.integerZeros = 0;
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

// Rounds half away from zero at 15 significant digits, as spreadsheet apps display (printf rounds
// half to even).
double RoundForDisplay(double magnitude, int decimals) {
    double scale = std::pow(10.0, decimals);
    return std::round(ToSignificant15(magnitude * scale)) / scale;
}

std::string RenderDigits(double magnitude, const Section& s) {
    int places = std::min(s.requiredDecimals + s.optionalDecimals, 30);
    char buffer[400];
    if (magnitude >= 1e300) {
        return "#";
    }
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

std::string RenderScientific(double magnitude, const Section& s) {
    int exponent = magnitude == 0.0 ? 0 : static_cast<int>(std::floor(std::log10(magnitude)));
    double mantissa = magnitude == 0.0 ? 0.0 : magnitude / std::pow(10.0, exponent);
    int places = s.requiredDecimals + s.optionalDecimals;
    if (RoundForDisplay(mantissa, places) >= 10.0) {
        mantissa /= 10.0;
        ++exponent;
    }
    Section digits = s;
    digits.integerZeros = std::max(digits.integerZeros, 1);
    digits.thousands = false;
    std::string text = RenderDigits(mantissa, digits) + "E";
    text += exponent < 0 ? "-" : s.exponentPlus ? "+" : "";
    std::string power = std::to_string(std::abs(exponent));
    if (power.size() < static_cast<size_t>(s.exponentDigits)) {
        power.insert(0, s.exponentDigits - power.size(), '0');
    }
    return text + power;
}

// The nearest fraction with a denominator of at most the given digits (or the fixed one).
std::pair<long long, long long> NearestFraction(double part, const Section& s) {
    if (s.fixedDenominator > 0) {
        return {std::llround(part * s.fixedDenominator), s.fixedDenominator};
    }
    long long best = 1, bestNumerator = std::llround(part);
    double bestError = std::fabs(part - static_cast<double>(bestNumerator));
    int limit = static_cast<int>(std::pow(10, std::clamp(s.denominatorDigits, 1, 4))) - 1;
    for (int d = 2; d <= limit; ++d) {
        long long n = std::llround(part * d);
        double error = std::fabs(part - static_cast<double>(n) / d);
        if (error < bestError - 1e-12) {
            bestError = error;
            best = d;
            bestNumerator = n;
        }
    }
    return {bestNumerator, best};
}

std::string PadLeft(std::string text, int width) {
    return text.size() < static_cast<size_t>(width) ? std::string(width - text.size(), ' ') + text : text;
}

std::string PadRight(std::string text, int width) {
    return text.size() < static_cast<size_t>(width) ? text + std::string(width - text.size(), ' ') : text;
}

// "# ?/?": the whole part, then the fraction with its digits padded by blanks. A whole number
// keeps the fraction's room as blanks, so that the numbers of a column line up.
std::string RenderFraction(double magnitude, const Section& s) {
    if (magnitude >= 1e15) return "#";
    double whole = s.wholeWithFraction ? std::floor(magnitude) : 0.0;
    auto [numerator, denominator] = NearestFraction(magnitude - whole, s);
    if (s.wholeWithFraction && numerator == denominator) {
        whole += 1;
        numerator = 0;
    }
    int denominatorWidth =
        s.fixedDenominator > 0 ? static_cast<int>(std::to_string(s.fixedDenominator).size()) : s.denominatorDigits;
    Section wholeDigits;
    wholeDigits.integerZeros = numerator == 0 ? 1 : s.integerZeros;
    std::string wholeText = s.wholeWithFraction ? RenderDigits(whole, wholeDigits) : "";
    if (s.wholeWithFraction && numerator == 0) {
        return wholeText + std::string(static_cast<size_t>(s.numeratorDigits + denominatorWidth + 2), ' ');
    }
    return wholeText + (s.wholeWithFraction ? " " : "") + PadLeft(std::to_string(numerator), s.numeratorDigits) + "/" +
           PadRight(std::to_string(denominator), denominatorWidth);
}

// --- dates and times ---

struct DateParts {
    long long year;
    int month, day, hour, minute, second, weekday;
    double secondFraction;
};

DateParts SplitSerial(double serial, int secondDecimals) {
    double scale = std::pow(10.0, secondDecimals);
    double totalSeconds = std::round(serial * 86400.0 * scale) / scale;
    double days = std::floor(totalSeconds / 86400.0);
    double secondsOfDay = totalSeconds - days * 86400.0;
    auto serialDay = static_cast<long long>(days);
    calendar::Date date = calendar::DateOfSerialDay(serialDay);
    DateParts p{};
    p.year = date.year;
    p.month = date.month;
    p.day = date.day;
    auto whole = static_cast<long long>(std::floor(secondsOfDay));
    p.hour = static_cast<int>(whole / 3600);
    p.minute = static_cast<int>(whole / 60 % 60);
    p.second = static_cast<int>(whole % 60);
    p.secondFraction = secondsOfDay - static_cast<double>(whole);
    p.weekday = calendar::WeekdayOfSerialDay(serialDay);
    return p;
}

constexpr std::array<const char*, 12> kMonths{"January", "February", "March",     "April",   "May",      "June",
                                              "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};

std::string Padded(long long n, size_t width) {
    std::string text;
    AppendZeroPadded(text, n, width);
    return text;
}

// One run of a date letter ("yyyy", "mm", "[h]"), rendered; `minutes` tells "m" apart from months.
std::string DateField(char letter, size_t count, bool minutes, bool elapsed, const DateParts& p, double serial,
                      bool twelveHour) {
    switch (letter) {
        case 'y': return count <= 2 ? Padded(p.year % 100, 2) : Padded(p.year, 4);
        case 'm':
            if (elapsed) return std::to_string(static_cast<long long>(std::floor(serial * 1440.0)));
            if (minutes) return Padded(p.minute, count >= 2 ? 2 : 1);
            if (count >= 4) return kMonths[p.month - 1];
            if (count == 3) return std::string(kMonths[p.month - 1]).substr(0, 3);
            return Padded(p.month, count);
        case 'd':
            if (count >= 4) return kDays[p.weekday];
            if (count == 3) return std::string(kDays[p.weekday]).substr(0, 3);
            return Padded(p.day, count);
        case 'h': {
            if (elapsed) return std::to_string(static_cast<long long>(std::floor(serial * 24.0)));
            int hour = twelveHour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour;
            return Padded(hour, std::min<size_t>(count, 2));
        }
        default:
            if (elapsed) return std::to_string(static_cast<long long>(std::floor(serial * 86400.0)));
            return Padded(p.second, std::min<size_t>(count, 2));
    }
}

// Whether the "m" run at i means minutes: after an hour or before a second.
bool MeansMinutes(std::string_view code, size_t i, size_t count) {
    for (size_t j = i; j-- > 0;) {
        char c = Lower(code[j]);
        if (c == 'h') return true;
        if (IsDateLetter(c) && c != 'h') break;
    }
    for (size_t j = i + count; j < code.size(); ++j) {
        char c = Lower(code[j]);
        if (c == 's') return true;
        if (IsDateLetter(c)) break;
    }
    return false;
}

// A serial counted from 1899-12-30; `firstDay` is the first the workbook's date system shows.
std::string FormatDate(double serial, std::string_view code, double firstDay) {
    if (serial < firstDay || serial >= static_cast<double>(calendar::kLastSerialDay + 1)) {
        return std::string(11, '#');
    }
    bool twelveHour = code.find("AM/PM") != std::string_view::npos || code.find("am/pm") != std::string_view::npos;
    size_t point = code.find("s.");
    int secondDecimals = 0;
    while (point != std::string_view::npos && point + 2 + secondDecimals < code.size() &&
           code[point + 2 + secondDecimals] == '0') {
        ++secondDecimals;
    }
    DateParts p = SplitSerial(serial, secondDecimals);
    std::string out;
    for (size_t i = 0; i < code.size(); ++i) {
        char ch = code[i];
        if (ch == '"') {
            size_t close = code.find('"', i + 1);
            close = close == std::string_view::npos ? code.size() : close;
            out += code.substr(i + 1, close - i - 1);
            i = close;
        } else if (ch == '\\' && i + 1 < code.size()) {
            out += code[++i];
        } else if (ch == '[') {
            size_t close = code.find(']', i);
            close = close == std::string_view::npos ? code.size() : close;
            std::string_view inner = code.substr(i + 1, close - i - 1);
            if (IsElapsed(inner)) {
                out += DateField(Lower(inner[0]), inner.size(), Lower(inner[0]) == 'm', true, p, serial, false);
            } else {
                out += BracketText(inner);
            }
            i = close;
        } else if (code.substr(i, 5) == "AM/PM" || code.substr(i, 5) == "am/pm") {
            out += p.hour < 12 ? "AM" : "PM";
            i += 4;
        } else if (IsDateLetter(ch)) {
            size_t count = 1;
            while (i + count < code.size() && Lower(code[i + count]) == Lower(ch)) ++count;
            out += DateField(Lower(ch), count, Lower(ch) == 'm' && MeansMinutes(code, i, count), false, p, serial,
                             twelveHour);
            i += count - 1;
        } else if (ch == '.' && i > 0 && Lower(code[i - 1]) == 's' && secondDecimals > 0) {
            out += "." + Padded(std::llround(p.secondFraction * std::pow(10.0, secondDecimals)), secondDecimals);
            i += secondDecimals;
        } else if (ch == '_' || ch == '*') {
            ++i;
            out += ch == '_' ? " " : "";
        } else {
            out += ch;
        }
    }
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string lower;
    for (char ch : text) {
        lower += Lower(ch);
    }
    return lower;
}

// The code after its leading colour, locale, condition and numeral tags, which show nothing.
std::string_view AfterSilentTags(std::string_view code) {
    while (code.starts_with('[')) {
        size_t close = code.find(']');
        if (close == std::string_view::npos || !BracketText(code.substr(1, close - 1)).empty()) break;
        code.remove_prefix(close + 1);
    }
    return code;
}

bool IsGeneral(std::string_view code) {
    std::string lower = LowerCase(AfterSilentTags(code));
    return lower.empty() || lower == "@" || lower == "general";
}

// "[DBNum1]": the number in Chinese lower-case numerals.
bool WantsChineseNumerals(std::string_view code) {
    return LowerCase(code).find("[dbnum1]") != std::string::npos;
}

constexpr std::array<std::string_view, 10> kChineseDigits{"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

// A whole number's digits with their units, as Excel writes them: "一千零一十五", "一十万", "〇".
std::string ChineseWholeNumber(std::string_view digits) {
    constexpr std::array<std::string_view, 4> kPlaces{"", "十", "百", "千"};
    constexpr std::array<std::string_view, 4> kGroups{"", "万", "亿", "万亿"};
    std::string out;
    bool zeroPending = false, groupUsed = false;
    for (size_t i = 0; i < digits.size(); ++i) {
        size_t place = digits.size() - 1 - i;
        int digit = digits[i] - '0';
        if (digit == 0) {
            zeroPending = !out.empty();
        } else {
            if (zeroPending) out += "零";
            zeroPending = false;
            groupUsed = true;
            out += kChineseDigits[static_cast<size_t>(digit)];
            out += kPlaces[place % 4];
        }
        if (place % 4 == 0 && place > 0 && groupUsed) {
            out += kGroups[std::min<size_t>(place / 4, kGroups.size() - 1)];
            groupUsed = false;
        }
    }
    return out.empty() ? std::string(kChineseDigits[0]) : out;
}

// The digits of a shown number in Chinese numerals: the whole part with units (its group commas
// dropped), decimals and exponent digit by digit; signs and the point stay.
std::string ChineseNumerals(std::string_view shown) {
    std::string out;
    bool wholePart = true;
    for (size_t i = 0; i < shown.size();) {
        if (!std::isdigit(static_cast<unsigned char>(shown[i]))) {
            wholePart = wholePart && shown[i] != '.' && shown[i] != 'E';
            out += shown[i++];
            continue;
        }
        std::string digits;
        for (;
             i < shown.size() && (std::isdigit(static_cast<unsigned char>(shown[i])) || (wholePart && shown[i] == ','));
             ++i) {
            if (shown[i] != ',') digits += shown[i];
        }
        if (wholePart) {
            size_t first = std::min(digits.find_first_not_of('0'), digits.size());
            out += ChineseWholeNumber(std::string_view(digits).substr(first));
        } else {
            for (char d : digits) out += kChineseDigits[static_cast<size_t>(d - '0')];
        }
    }
    return out;
}

// The digits as the section's numeral tag asks.
std::string WithNumerals(std::string digits, std::string_view code) {
    return WantsChineseNumerals(code) ? ChineseNumerals(digits) : digits;
}

constexpr std::array<std::pair<size_t, std::string_view>, 28> kBuiltinFormats{{
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/?\?"},
    {14, "yyyy/m/d"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "yyyy/m/d h:mm"},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mm:ss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
}};

// The section a number is shown with, and whether that section writes its own sign.
std::pair<size_t, bool> PickSection(const std::vector<std::string_view>& sections, double number) {
    if (std::optional<Condition> first = ReadCondition(sections[0])) {
        if (first->Holds(number)) return {0, false};
        std::optional<Condition> second = sections.size() > 1 ? ReadCondition(sections[1]) : std::nullopt;
        if (sections.size() > 1 && (!second || second->Holds(number))) return {1, second.has_value() || number < 0};
        return {std::min<size_t>(2, sections.size() - 1), false};
    }
    if (number < 0 && sections.size() >= 2) return {1, true};
    if (number == 0 && sections.size() >= 3) return {2, false};
    return {0, false};
}

}  // namespace

std::string FormatGeneral(double number) {
    double magnitude = std::fabs(number);
    char buffer[64];
    if (magnitude < 1e15 && number == std::trunc(number)) {
        std::snprintf(buffer, sizeof buffer, "%.0f", number == 0.0 ? 0.0 : number);
    } else if (magnitude >= 1e-9 && magnitude < 1e10) {
        // Written out from 1E-9 up to ten integer digits, at up to 10 significant digits.
        int decimals = 9 - static_cast<int>(std::floor(std::log10(magnitude)));
        std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, 30), number);
        std::string text = buffer;
        if (text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.') text.pop_back();
        }
        return text;
    } else {
        std::snprintf(buffer, sizeof buffer, "%.10G", number);
    }
    return buffer;
}

std::string FormatNumber(double number, std::string_view formatCode, DateSystem dates) {
    if (IsGeneral(formatCode)) {
        return WithNumerals(FormatGeneral(number), formatCode);
    }
    std::vector<std::string_view> sections = SplitSections(formatCode);
    auto [index, ownSign] = PickSection(sections, number);
    std::string_view code = sections[index];
    if (IsGeneral(code) || code.find('@') != std::string_view::npos) {
        return WithNumerals(FormatGeneral(number), code);
    }
    Section s = ParseSection(code);
    if (s.dateOrTime && !s.hasDigits) {
        return FormatDate(number + DaysBefore(dates), code, DaysBefore(dates));
    }
    // Only a section of its own for negatives writes the sign itself.
    std::string sign = number < 0 && !ownSign ? "-" : "";
    if (!s.hasDigits) {
        return sign + s.prefix;
    }
    double magnitude = std::fabs(number) * (s.percent ? 100.0 : 1.0) / std::pow(1000.0, s.thousandsScale);
    std::string digits = s.exponentDigits > 0 ? RenderScientific(magnitude, s)
                         : s.IsFraction()     ? RenderFraction(magnitude, s)
                                              : RenderDigits(magnitude, s);
    return sign + s.prefix + WithNumerals(digits, code) + s.suffix;
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
