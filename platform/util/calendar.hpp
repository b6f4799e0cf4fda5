#pragma once
// Calendar dates of the proleptic Gregorian calendar and the serial day numbers spreadsheets and
// the database's day counts use: day 0 is 1899-12-30, so day 1 is 1899-12-31 and day 61 is
// 1900-03-01 (the 1900 date system after February 1900).

namespace keltrov::calendar {

struct Date {
    long long year = 0;
    int month = 1;
    int day = 1;
    bool operator==(const Date&) const = default;
};

bool IsLeapYear(long long year);
int DaysInMonth(long long year, int month);

// Serial days of 1904-based workbooks start this many days later.
inline constexpr long long k1904Offset = 1462;
// The serial day of 9999-12-31, the last day spreadsheets show.
inline constexpr long long kLastSerialDay = 2958465;

// The serial day of a date; months past 12 or before 1 carry into the year, days past the month
// run on into the next (2024-14-01 is 2025-02-01, 2024-03-00 is 2024-02-29).
long long SerialDay(long long year, long long month, long long day);
// The date of a serial day.
Date DateOfSerialDay(long long serial);
// 0 for Sunday to 6 for Saturday.
int WeekdayOfSerialDay(long long serial);

}  // namespace keltrov::calendar
