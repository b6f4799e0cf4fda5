// Amounts written as decimal texts the way the sheet shows them, and texts read from other encodings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>

#include "platform/sheet/number_format.hpp"
#include "platform/util/decimal_text.hpp"
#include "platform/util/text_encoding.hpp"

namespace keltrov::test {
namespace {

TEST(DecimalText, RoundsFifteenDigitsHalfAwayFromZeroAndKeepsEveryDigit) {
    struct Case {
        double number;
        int places;
        std::string text;
    };
    const std::string tenTo300 = "1" + std::string(300, '0');
    const std::vector<Case> cases{{1.005, 2, "1.01"},
                                  {-1.005, 2, "-1.01"},
                                  {2.675, 2, "2.68"},
                                  {0.125, 2, "0.13"},
                                  {999.995, 2, "1000.00"},
                                  {-0.004, 2, "0.00"},
                                  {0.0, 2, "0.00"},
                                  {1234.5, 2, "1234.50"},
                                  {0.00001234, 2, "0.00"},
                                  {0.5, 0, "1"},
                                  {12.5, 4, "12.5000"},
                                  {-7.0, 2, "-7.00"},
                                  {1e300, 2, tenTo300 + ".00"},
                                  {123456789012345678.0, 2, "123456789012346000.00"},
                                  {1e-300, 2, "0.00"},
                                  {0.0049999999999999, 2, "0.00"}};
    for (const Case& c : cases) EXPECT_EQ(FixedDecimalText(c.number, c.places), c.text) << c.number;
    // The largest double: all 309 digits of its whole part.
    EXPECT_EQ(FixedDecimalText(DBL_MAX, 2).size(), 309u + 3u);
    EXPECT_EQ(FixedDecimalText(-DBL_MAX, 2).substr(0, 17), "-1797693134862320");
}

// What the save stores is what a "0.00" cell shows, for amounts of up to 15 digits as they are typed
// (below 10^13, where the sheet's display still has every cent).
TEST(DecimalText, AgreesWithTheSheetsTwoDecimalDisplay) {
    std::mt19937_64 random(20240509);
    std::vector<double> amounts{1.005, 2.675, 1.015, 1.025, 10.005, 1234.565, -0.005, 0.045, 8.345, 4.35 * 3};
    for (int i = 0; i < 40000; ++i) {
        const int digits = std::uniform_int_distribution<int>(1, 15)(random);
        const int decimals = std::uniform_int_distribution<int>(std::max(0, digits - 13), std::min(digits, 5))(random);
        const auto limit = static_cast<long long>(std::pow(10.0, digits));
        const long long whole = std::uniform_int_distribution<long long>(-limit + 1, limit - 1)(random);
        amounts.push_back(static_cast<double>(whole) / std::pow(10.0, decimals));
    }
    for (double amount : amounts) {
        std::string shown = sheet::FormatNumber(amount, "0.00");
        // The sheet keeps the sign of a small negative amount; zero is stored without one.
        if (shown == "-0.00") shown = "0.00";
        ASSERT_EQ(FixedDecimalText(amount, 2), shown) << std::hexfloat << amount;
    }
}

// Codes, day counts and row numbers typed by hand: what a text starts with, held to 32 bits.
TEST(DecimalText, LeadingIntegerReadsTheDigitsAfterBlanksAndASign) {
    const std::vector<std::pair<std::string, int32_t>> cases{
        {"12abc", 12},
        {" \t\r\n007", 7},
        {"+15", 15},
        {"-15.9", -15},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+-3", 0},
        {" - 3", 0},
        {"\v3", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-99999999999999999999", INT32_MIN},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(LeadingInteger(text), value) << text;
    // A view that stops before the text's end is read only to its end.
    EXPECT_EQ(LeadingInteger(std::string_view("123456").substr(0, 3)), 123);
}

TEST(TextEncoding, ShowsUtf8AsItIsGbkConvertedAndOtherBytesReplaced) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"张伟 O'Brien", "张伟 O'Brien"},
        {"\xD5\xC5\xCE\xB0", "张伟"},                              // GBK
        {"\xB2\xC6\xCE\xF1\xB2\xBF-01", "财务部-01"},              // GBK with ASCII
        {"A\xFF", "A\xEF\xBF\xBD"},                                // neither: U+FFFD
        {"\xD5\xC5\xCE", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a GBK character cut short
        {"\xED\xA0\x80", "\xE9\xA0\x8E\xE2\x82\xAC"},              // a surrogate is no UTF-8; in GBK it is "頎€"
    };
    for (const auto& [bytes, shown] : cases) EXPECT_EQ(TextAsUtf8(bytes), shown);
}

}  // namespace
}  // namespace keltrov::test
