#include "data/field_value.hpp"
#include "data/period_key.hpp"
#include "tests/support/test_database.hpp"

#include <gtest/gtest.h>

#include <random>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace keltrov::test {
namespace {

CFieldValue& Prepared(CFieldValue& value, short sqlType) {
    value.PrepareFor(sqlType);
    value.m_bNull = false;
    return value;
}

TEST(FieldValue, TextFormatsByKind) {
    CFieldValue d, b, c, ts;
    Prepared(d, db::sqltype::Double).m_dblVal = 1234.5;
    EXPECT_EQ(d.AsText(), "1234.50");
    Prepared(b, db::sqltype::Bit).m_boolVal = 1;
    EXPECT_EQ(b.AsText(), "T");
    Prepared(c, db::sqltype::TinyInt).m_chVal = 65;
    EXPECT_EQ(c.AsText(), "A");
    CFieldValue whole, small, text;
    Prepared(whole, db::sqltype::Integer).m_lVal = INT32_MIN;
    EXPECT_EQ(whole.AsText(), "-2147483648");
    Prepared(small, db::sqltype::SmallInt).m_iVal = -32768;
    EXPECT_EQ(small.AsText(), "-32768");
    Prepared(text, db::sqltype::VarChar).SetLong(INT32_MAX);
    EXPECT_EQ(text.AsText(), "2147483647");
    Prepared(ts, db::sqltype::Timestamp);
    *ts.m_pdate = db::Timestamp{2006, 5, 19, 0, 0, 30, 0};
    EXPECT_EQ(ts.AsText(), "2006-05-19");
    *ts.m_pdate = db::Timestamp{1899, 5, 19, 8, 5, 0, 0};
    EXPECT_EQ(ts.AsText(), "");
    ts.m_bNull = true;
    EXPECT_EQ(ts.AsText(), "");
}

// A text is shown as it stands only when it is ASCII throughout: a code-page byte anywhere, within
// the first eight bytes, ending them or after them, has the text converted.
TEST(FieldValue, CodePageTextsAreConvertedWhereverTheirBytesStand) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"\xD5\xC5"
         "abcdefgh",
         "张abcdefgh"},
        {"abcdef\xD5\xC5", "abcdef张"},
        {"abcdefgh\xD5\xC5", "abcdefgh张"},
        {"abcdefghijklmnop-\xD5\xC5", "abcdefghijklmnop-张"},
        {"abcdefghijklmnopq", "abcdefghijklmnopq"},
    };
    for (const auto& [stored, shown] : cases) {
        CFieldValue text;
        Prepared(text, db::sqltype::VarChar).SetText(stored);
        EXPECT_EQ(text.AsText(), shown) << stored;
    }
}

TEST(FieldValue, SettersFollowTheKind) {
    CFieldValue text, number, date;
    Prepared(text, db::sqltype::VarChar).SetLong(7);
    EXPECT_EQ(text.AsText(), "7");
    Prepared(number, db::sqltype::Integer).SetText("12abc");
    EXPECT_EQ(number.AsLong(), 12);
    Prepared(date, db::sqltype::Timestamp).SetText("2006-02-30");
    EXPECT_EQ(date.m_pdate->year, 99);  // no such day: the null timestamp
    date.SetText("2006-05-09 13:45");
    EXPECT_EQ(date.AsText(), "2006-05-09");
    EXPECT_EQ(LeadingDecimal(" -12.5e1x"), -125.0);
    EXPECT_EQ(LeadingDecimal("0x1A"), 0.0);
}

// The C library's reading of the same leading decimal is the oracle, out of range included.
TEST(FieldValue, LeadingDecimalReadsAsTheCLibraryDoes) {
    const std::pair<const char*, const char*> cases[] = {
        {"+3.5", "+3.5"},
        {".5", ".5"},
        {"5.", "5."},
        {"  7e2 kg", "7e2"},
        {"1e309", "1e309"},
        {"-1e309", "-1e309"},
        {"1e-400", "1e-400"},
        {"0.1", "0.1"},
        {"5200.00", "5200.00"},
        {"12e", "12"},
        {"9007199254740993", "9007199254740993"},
        {"-.5e", "-.5"},
        {"+-5", ""},
        {" .", ""},
        {"-inf", ""},
    };
    for (const auto& [text, extent] : cases) EXPECT_EQ(LeadingDecimal(text), std::strtod(extent, nullptr)) << text;
}

// Amounts as they are stored, from one digit to past the exact range, each read as the C library reads it.
TEST(FieldValue, StoredAmountsReadAsTheCLibraryDoes) {
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 100000; ++i) {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 17);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0) text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        ASSERT_EQ(LeadingDecimal(text), std::strtod(text.c_str(), nullptr)) << text;
    }
}

// The calendar's own formatting is the oracle for the date text of a stored timestamp.
TEST(FieldValue, DateTextsAgreeWithTheCalendarsFormat) {
    CFieldValue ts;
    Prepared(ts, db::sqltype::Timestamp);
    const db::Timestamp cases[] = {
        {1900, 1, 1, 0, 0, 0, 0},  {2024, 2, 29, 23, 59, 0, 0},  {2023, 2, 29, 0, 0, 0, 0}, {2006, 5, 9, 0, 5, 0, 0},
        {2006, 5, 9, 7, 0, 59, 0}, {9999, 12, 31, 12, 30, 0, 0}, {2100, 2, 29, 1, 1, 0, 0}, {2006, 4, 31, 0, 0, 0, 0},
        {2006, 13, 1, 0, 0, 0, 0}, {2006, 6, 30, 24, 0, 0, 0},
    };
    for (const db::Timestamp& stamp : cases) {
        *ts.m_pdate = stamp;
        const DateTime date(stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, stamp.second);
        const bool midnight = stamp.hour == 0 && stamp.minute == 0;
        const std::string expected = stamp.month > 12 ? "" : date.Format(midnight ? "%Y-%m-%d" : "%Y-%m-%d %H:%M");
        EXPECT_EQ(ts.AsText(), expected) << stamp.year << '-' << stamp.month << '-' << stamp.day << ' ' << stamp.hour;
    }
}

TEST(PeriodEnd, EveryReportType) {
    struct Case {
        int y, m, d;
        long type;
        const char* end;
    } cases[] = {
        {2004, 2, 10, 0, "2004-02-29"},
        {2006, 2, 10, 0, "2006-02-28"},
        {2100, 2, 1, 0, "2100-02-29"},
        {2006, 4, 30, 0, "2006-04-30"},
        {2006, 5, 10, 2, "2006-05-10"},
        {2006, 5, 11, 2, "2006-05-20"},
        {2006, 5, 21, 2, "2006-05-31"},
        {2006, 5, 15, 3, "2006-05-15"},
        {2006, 5, 16, 3, "2006-05-31"},
        {2006, 3, 31, 5, "2006-03-31"},
        {2006, 4, 1, 5, "2006-06-30"},
        {2006, 7, 1, 5, "2006-12-31"},
        {2006, 7, 9, 1, "2006-12-31"},
        {2006, 7, 9, 4, "2006-07-09"},
        {2006, 7, 9, 6, ""},
        {2006, 7, 9, 9, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PeriodEnd(DateTime(c.y, c.m, c.d), c.type), c.end) << c.y << "-" << c.m << "-" << c.d;
}

using PeriodKeyTest = DatabaseTest;

TEST_F(PeriodKeyTest, KeyFromTheCatalogue) {
    database.Exec("insert into reports values('B812', 0), ('B810', 6)");
    EXPECT_EQ(GetPeriodKey(DateTime(2006, 2, 10), "B812"), std::string(kTestBank) + "2006-02-28");
    EXPECT_EQ(GetPeriodKey(DateTime(2006, 2, 10), "B810"), kTestBank);
    EXPECT_EQ(GetPeriodKey(DateTime(2006, 2, 10), "B999"), "");
}

}  // namespace
}  // namespace keltrov::test
