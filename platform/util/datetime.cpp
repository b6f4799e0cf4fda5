#include "platform/util/datetime.hpp"

#include <cstdio>

#include "platform/util/calendar.hpp"

namespace keltrov {

namespace {

bool IsRealDate(int year, int month, int day, int hour, int minute, int second) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
    return day <= DaysInMonth(year, month);
}

}  // namespace

bool IsLeapByFour(int year) {
    return year % 4 == 0;
}

int DaysInMonth(int year, int month) {
    return calendar::DaysInMonth(year, month);
}

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second)
    : m_year(year), m_month(month), m_day(day), m_hour(hour), m_minute(minute), m_second(second) {
    m_status = IsRealDate(year, month, day, hour, minute, second) ? Status::Valid : Status::Invalid;
}

DateTime DateTime::Invalid() {
    DateTime value;
    value.m_status = Status::Invalid;
    return value;
}

DateTime DateTime::FromUnixTime(long long seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return Invalid();
    return DateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

DateTime DateTime::Now() {
    return FromUnixTime(static_cast<long long>(std::time(nullptr)));
}

DateTime DateTime::Parse(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char sep1 = 0, sep2 = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), " %d%c%d%c%d%n", &year, &sep1, &month, &sep2, &day, &consumed) != 5) return Invalid();
    const bool separatorsMatch = sep1 == sep2 && (sep1 == '-' || sep1 == '/' || sep1 == '.');
    if (!separatorsMatch) return Invalid();
    const char* rest = text.c_str() + consumed;
    int timeConsumed = 0;
    const int timeFields = std::sscanf(rest, " %d:%d%n:%d%n", &hour, &minute, &timeConsumed, &second, &timeConsumed);
    if (timeFields < 2) {
        hour = minute = second = 0;
        timeConsumed = 0;
    }
    for (const char* p = rest + timeConsumed; *p != '\0'; ++p) {
        if (*p != ' ' && *p != '\t') return Invalid();
    }
    return DateTime(year, month, day, hour, minute, second);
}

std::string DateTime::Format(const char* pattern) const {
    if (!IsValid()) return {};
    std::tm parts{};
    parts.tm_year = m_year - 1900;
    parts.tm_mon = m_month - 1;
    parts.tm_mday = m_day;
    parts.tm_hour = m_hour;
    parts.tm_min = m_minute;
    parts.tm_sec = m_second;
    parts.tm_isdst = -1;
    char buffer[256];
    const size_t n = std::strftime(buffer, sizeof buffer, pattern, &parts);
    return std::string(buffer, n);
}

}  // namespace keltrov
