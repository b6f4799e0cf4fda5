#include "platform/util/calendar.hpp"

namespace keltrov::calendar {
namespace {

// Days since 0000-03-01 of a date (month 1..12); March first makes February the year's last month,
// so leap days need no special case (H. Hinnant's days_from_civil).
long long DaysFromMarchEpoch(long long year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    long long era = (year >= 0 ? year : year - 399) / 400;
    long long yearOfEra = year - era * 400;
    long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
}

const long long kSerialZero = DaysFromMarchEpoch(1899, 12, 30);

}  // namespace

bool IsLeapYear(long long year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(long long year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

long long SerialDay(long long year, long long month, long long day) {
    long long months = year * 12 + (month - 1);
    long long y = (months >= 0 ? months : months - 11) / 12;
    int m = static_cast<int>(months - y * 12 + 1);
    return DaysFromMarchEpoch(y, m, 1) + (day - 1) - kSerialZero;
}

Date DateOfSerialDay(long long serial) {
    long long days = serial + kSerialZero;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long dayOfEra = days - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long monthFromMarch = (5 * dayOfYear + 2) / 153;
    Date date;
    date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}

int WeekdayOfSerialDay(long long serial) {
    return static_cast<int>(((serial % 7) + 13) % 7);  // day 0, 1899-12-30, was a Saturday
}

}  // namespace keltrov::calendar
