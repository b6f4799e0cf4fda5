// Dates and times as Excel serial numbers: days since 1899-12-30, the time as the fraction.
#include <cmath>
#include <ctime>

#include "platform/sheet/functions.hpp"
#include "platform/util/calendar.hpp"

namespace keltrov::sheet {
namespace {

using Civil = calendar::Date;

Civil CivilFromSerial(double serial) {
    return calendar::DateOfSerialDay(static_cast<long long>(std::floor(serial)));
}

constexpr double kPastLastDay = static_cast<double>(calendar::kLastSerialDay + 1);

// A date argument: a serial day of the workbook's date system up to 9999-12-31, handed on counted
// from 1899-12-30 so that the functions need not know the system.
std::optional<Value> DateArg(Args args, size_t i, const CellSource& source, double& out) {
    Value n = ToNumber(Scalar(args[i], source), source.Dates());
    if (n.IsError()) return n;
    out = n.number + DaysBefore(source.Dates());
    if (n.number < 0 || out >= kPastLastDay) return Value::Error(ErrorCode::Num);
    return std::nullopt;
}

// A date counted from 1899-12-30 as a serial of the workbook's date system, if it has one.
Value SerialResult(double serial, const CellSource& source) {
    double inSystem = serial - DaysBefore(source.Dates());
    return inSystem < 0 || serial >= kPastLastDay ? Value::Error(ErrorCode::Num) : Value::Number(inSystem);
}

template <int Part>
Value DatePart(Args args, const CellSource& source) {
    double serial = 0;
    if (auto error = DateArg(args, 0, source, serial)) return *error;
    Civil c = CivilFromSerial(serial);
    return Value::Number(Part == 0 ? static_cast<double>(c.year) : Part == 1 ? c.month : c.day);
}

// HOUR, MINUTE and SECOND of the fraction, rounded to the second as Excel does.
template <int Divisor, int Modulus>
Value TimePart(Args args, const CellSource& source) {
    double serial = 0;
    if (auto error = DateArg(args, 0, source, serial)) return *error;
    long long seconds = std::llround((serial - std::floor(serial)) * 86400.0);
    return Value::Number(static_cast<double>((seconds / Divisor) % Modulus));
}

Value Date(Args args, const CellSource& source) {
    double n[3];
    if (auto error = Numbers(args, source, n)) return *error;
    double year = std::trunc(n[0]);
    if (year < 0 || year > 9999) return Value::Error(ErrorCode::Num);
    year += year < 1900 ? 1900 : 0;  // Excel reads 24 as 1924
    if (std::fabs(n[1]) > 1e6 || std::fabs(n[2]) > 1e8) return Value::Error(ErrorCode::Num);
    double serial = SerialDate(static_cast<long long>(year), static_cast<long long>(std::trunc(n[1])),
                               static_cast<long long>(std::trunc(n[2])));
    return SerialResult(serial, source);
}

Value Time(Args args, const CellSource& source) {
    double n[3];
    if (auto error = Numbers(args, source, n)) return *error;
    double seconds = std::trunc(n[0]) * 3600 + std::trunc(n[1]) * 60 + std::trunc(n[2]);
    if (seconds < 0 || seconds > 1e12) return Value::Error(ErrorCode::Num);
    return Value::Number(std::fmod(seconds, 86400.0) / 86400.0);
}

// DATEVALUE and TIMEVALUE: the day or the time of day a date text reads as; other values are #VALUE!.
template <bool Day>
Value DateTextPart(Args args, const CellSource& source) {
    Value v = Scalar(args[0], source);
    if (v.IsError()) return v;
    std::optional<double> serial = v.kind == Value::Kind::String ? ParseDateTime(v.text, source.Dates()) : std::nullopt;
    if (!serial) return Value::Error(ErrorCode::Value);
    return Value::Number(Day ? std::floor(*serial) : *serial - std::floor(*serial));
}

double NowSerial() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return SerialDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

Value Today(Args, const CellSource& source) {
    return SerialResult(std::floor(NowSerial()), source);
}
Value Now(Args, const CellSource& source) {
    return SerialResult(NowSerial(), source);
}

// EDATE and EOMONTH: months later, clipped to the month's length, or that month's last day.
Value MonthsLater(Args args, const CellSource& source, bool endOfMonth) {
    double serial = 0;
    if (auto error = DateArg(args, 0, source, serial)) return *error;
    Value months = ToNumber(Scalar(args[1], source), source.Dates());
    if (months.IsError()) return months;
    if (std::fabs(months.number) > 120000) return Value::Error(ErrorCode::Num);
    Civil c = CivilFromSerial(serial);
    long long m = c.month + static_cast<long long>(std::trunc(months.number));
    double nextMonthStart = SerialDate(c.year, m + 1, 1);
    double monthStart = SerialDate(c.year, m, 1);
    double result = endOfMonth ? nextMonthStart - 1 : std::min(monthStart + c.day - 1, nextMonthStart - 1);
    return SerialResult(result, source);
}

template <bool EndOfMonth>
Value MonthsLaterOf(Args a, const CellSource& s) {
    return MonthsLater(a, s, EndOfMonth);
}

Value DateDif(Args args, const CellSource& source) {
    double start = 0, end = 0;
    if (auto error = DateArg(args, 0, source, start)) return *error;
    if (auto error = DateArg(args, 1, source, end)) return *error;
    Value unit = ToText(Scalar(args[2], source));
    if (unit.IsError()) return unit;
    if (end < start) return Value::Error(ErrorCode::Num);
    Civil a = CivilFromSerial(start), b = CivilFromSerial(end);
    long long months = (b.year - a.year) * 12 + (b.month - a.month) - (b.day < a.day ? 1 : 0);
    std::string u = FoldCase(unit.text);
    if (u == "d") return Value::Number(std::floor(end) - std::floor(start));
    if (u == "m") return Value::Number(static_cast<double>(months));
    if (u == "y") return Value::Number(static_cast<double>(months / 12));
    if (u == "ym") return Value::Number(static_cast<double>(months % 12));
    if (u == "md") {
        double anchor = SerialDate(b.year, b.month - (b.day < a.day ? 1 : 0), a.day);
        return Value::Number(std::floor(end) - anchor);
    }
    if (u == "yd") {
        double anchor =
            SerialDate(b.year - ((b.month < a.month || (b.month == a.month && b.day < a.day)) ? 1 : 0), a.month, a.day);
        return Value::Number(std::floor(end) - anchor);
    }
    return Value::Error(ErrorCode::Num);
}

// Day of the week of a serial, 0 for Sunday.
int DayOfWeek(double serial) {
    return calendar::WeekdayOfSerialDay(static_cast<long long>(std::floor(serial)));
}

Value Weekday(Args args, const CellSource& source) {
    double serial = 0;
    if (auto error = DateArg(args, 0, source, serial)) return *error;
    double type = 1;
    if (args.size() > 1) {
        Value t = ToNumber(Scalar(args[1], source), source.Dates());
        if (t.IsError()) return t;
        type = std::trunc(t.number);
    }
    int dow = DayOfWeek(serial);
    if (type == 1) return Value::Number(dow + 1);
    if (type == 2) return Value::Number(dow == 0 ? 7 : dow);
    if (type == 3) return Value::Number(dow == 0 ? 6 : dow - 1);
    return Value::Error(ErrorCode::Num);
}

Value Days(Args args, const CellSource& source) {
    double end = 0, start = 0;
    if (auto error = DateArg(args, 0, source, end)) return *error;
    if (auto error = DateArg(args, 1, source, start)) return *error;
    return Value::Number(std::floor(end) - std::floor(start));
}

Value NetworkDays(Args args, const CellSource& source) {
    double start = 0, end = 0;
    if (auto error = DateArg(args, 0, source, start)) return *error;
    if (auto error = DateArg(args, 1, source, end)) return *error;
    std::vector<double> holidays;
    if (args.size() > 2) {
        for (const Value& v : ToMatrix(args[2], source).cells) {
            if (v.kind == Value::Kind::Number) holidays.push_back(std::floor(v.number) + DaysBefore(source.Dates()));
        }
    }
    double sign = end < start ? -1 : 1;
    double from = std::floor(std::min(start, end)), to = std::floor(std::max(start, end));
    double count = 0;
    for (double d = from; d <= to; ++d) {
        int dow = DayOfWeek(d);
        bool holiday = std::find(holidays.begin(), holidays.end(), d) != holidays.end();
        count += dow != 0 && dow != 6 && !holiday ? 1 : 0;
    }
    return Value::Number(sign * count);
}

constexpr FunctionDef kDate[] = {
    {"DATE", 3, 3, Date},
    {"TIME", 3, 3, Time},
    {"DATEVALUE", 1, 1, DateTextPart<true>},
    {"TIMEVALUE", 1, 1, DateTextPart<false>},
    {"YEAR", 1, 1, DatePart<0>},
    {"MONTH", 1, 1, DatePart<1>},
    {"DAY", 1, 1, DatePart<2>},
    {"HOUR", 1, 1, TimePart<3600, 24>},
    {"MINUTE", 1, 1, TimePart<60, 60>},
    {"SECOND", 1, 1, TimePart<1, 60>},
    {"TODAY", 0, 0, Today},
    {"NOW", 0, 0, Now},
    {"EDATE", 2, 2, MonthsLaterOf<false>},
    {"EOMONTH", 2, 2, MonthsLaterOf<true>},
    {"DATEDIF", 3, 3, DateDif},
    {"WEEKDAY", 1, 2, Weekday},
    {"DAYS", 2, 2, Days},
    {"NETWORKDAYS", 2, 3, NetworkDays},
};

}  // namespace

std::span<const FunctionDef> DateFunctions() {
    return kDate;
}

}  // namespace keltrov::sheet
