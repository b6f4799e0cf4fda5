// The calendar and UTF-8 units the sheet counts dates and characters with.
#include <gtest/gtest.h>

#include "platform/util/calendar.hpp"
#include "platform/util/utf8.hpp"

namespace keltrov {
namespace {

TEST(Calendar, SerialDaysOfKnownDates) {
    struct Case {
        long long year, month, day, serial;
    };
    for (Case c : std::initializer_list<Case>{{1899, 12, 30, 0},
                                              {1900, 3, 1, 61},
                                              {1904, 1, 1, 1462},
                                              {2024, 2, 29, 45351},
                                              {2024, 3, 15, 45366},
                                              {9999, 12, 31, 2958465},
                                              {1, 1, 1, -693593},
                                              {2024, 14, 1, 45689},  // months carry into the year
                                              {2024, 3, 0, 45351},   // day 0 is the month before's last
                                              {2024, 0, 1, 45261},
                                              {2024, -13, 1, 44866}}) {
        EXPECT_EQ(calendar::SerialDay(c.year, c.month, c.day), c.serial) << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(Calendar, EverySerialDayRoundTripsThroughItsDate) {
    for (long long serial = -800000; serial <= 3000000; serial += 7) {
        calendar::Date date = calendar::DateOfSerialDay(serial);
        ASSERT_GE(date.day, 1);
        ASSERT_LE(date.day, calendar::DaysInMonth(date.year, date.month));
        ASSERT_EQ(calendar::SerialDay(date.year, date.month, date.day), serial) << serial;
    }
}

TEST(Calendar, LeapYearsAndWeekdays) {
    EXPECT_FALSE(calendar::IsLeapYear(1900));
    EXPECT_TRUE(calendar::IsLeapYear(2000));
    EXPECT_TRUE(calendar::IsLeapYear(2024));
    EXPECT_FALSE(calendar::IsLeapYear(2100));
    EXPECT_EQ(calendar::DaysInMonth(2023, 2), 28);
    EXPECT_EQ(calendar::DaysInMonth(2024, 2), 29);
    EXPECT_EQ(calendar::DaysInMonth(2024, 4), 30);
    EXPECT_EQ(calendar::WeekdayOfSerialDay(0), 6);      // 1899-12-30, a Saturday
    EXPECT_EQ(calendar::WeekdayOfSerialDay(45366), 5);  // 2024-03-15, a Friday
    EXPECT_EQ(calendar::WeekdayOfSerialDay(-1), 5);
    EXPECT_EQ(calendar::WeekdayOfSerialDay(-7), 6);
}

TEST(Utf8, CountsAndCutsByCharacters) {
    EXPECT_EQ(utf8::Length("工资表"), 3u);
    EXPECT_EQ(utf8::Length("Straße"), 6u);
    EXPECT_EQ(utf8::Length("a\xE5"
                           "b"),
              3u);  // a cut-off sequence: its lead byte counts alone
    EXPECT_EQ(utf8::Length("\x80\x80"), 2u);
    EXPECT_EQ(utf8::Substring("工资表", 1, 5), "资表");
    EXPECT_EQ(utf8::Substring("工资表", 3, 1), "");
    EXPECT_EQ(utf8::ByteOffset("a工b", 2), 4u);
    EXPECT_EQ(utf8::ByteOffset("a工b", 9), 5u);
}

TEST(Utf8, EncodesAndDecodesEveryLength) {
    for (char32_t codePoint : {U'A', U'\u00E9', U'\u5DE5', U'\U0001F600', U'\U0010FFFF'}) {
        std::string text;
        utf8::Append(text, codePoint);
        size_t pos = 0;
        EXPECT_EQ(utf8::Next(text, pos), codePoint);
        EXPECT_EQ(pos, text.size());
        EXPECT_EQ(utf8::ValidSequenceLength(text), text.size());
    }
}

TEST(Utf8, TheStrictCheckRefusesWhatIsNotUtf8) {
    for (std::string_view bad :
         {"\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE5\xB7", "\x80", "\xFF"}) {
        EXPECT_EQ(utf8::ValidSequenceLength(bad), 0u) << bad.size();
    }
    EXPECT_EQ(utf8::ValidSequenceLength(""), 0u);
}

}  // namespace
}  // namespace keltrov
