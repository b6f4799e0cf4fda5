#pragma once
// A date-time value of year, month, day, hour, minute and second in local time, with the status
// valid / invalid / null the system's conversions distinguish.
#include <ctime>
#include <string>

namespace keltrov {

class DateTime {
public:
    enum class Status { Valid, Invalid, Null };

    DateTime() = default;  // a null value
    DateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    static DateTime Now();
    static DateTime Invalid();
    // Seconds since 1970-01-01 00:00 UTC, shown in local time.
    static DateTime FromUnixTime(long long seconds);
    // Accepts "YYYY-MM-DD", "YYYY/MM/DD" and "YYYY.MM.DD", each optionally followed by " HH:MM[:SS]";
    // a text naming no real date gives an invalid value.
    static DateTime Parse(const std::string& text);

    Status GetStatus() const { return m_status; }
    bool IsValid() const { return m_status == Status::Valid; }
    int GetYear() const { return m_year; }
    int GetMonth() const { return m_month; }
    int GetDay() const { return m_day; }
    int GetHour() const { return m_hour; }
    int GetMinute() const { return m_minute; }
    int GetSecond() const { return m_second; }

    // strftime-style formatting; empty for a value that is not valid.
    std::string Format(const char* pattern) const;

    bool operator==(const DateTime&) const = default;

private:
    Status m_status = Status::Null;
    int m_year = 0, m_month = 0, m_day = 0, m_hour = 0, m_minute = 0, m_second = 0;
};

bool IsLeapByFour(int year);
int DaysInMonth(int year, int month);

}  // namespace keltrov
