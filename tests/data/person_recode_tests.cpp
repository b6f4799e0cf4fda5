// Persons moved by a drag: their codes as stored, whether the database finds rows by a locator or
// each row is changed through the recordset, as on a database without one.
#include "tree/person_recode.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "data/write_pattern.hpp"
#include "tests/support/test_database.hpp"

namespace keltrov::test {
namespace {

using PersonRecodingTest = DatabaseTest;

TEST_F(PersonRecodingTest, MovedPersonsAreStoredUnderTheirNewCodesAndNoOtherPersonChanges) {
    const char* const rowByRow = nullptr;
    for (const char* locator : {rowByRow, database.Db().RowLocator()}) {
        SCOPED_TRACE(locator ? locator : "row by row");
        database.Exec("delete from usertabb811");
        database.Exec(
            "insert into usertabb811 (relationid, field_1, field_2) values ('B0000001','100001001','甲'),"
            "('B0000001','100001002','乙'),('B0000001','100001003','丙'),('B0000001','100002001','丁'),"
            "('B0000001','100003001','戊')");
        std::string lastCode;
        ASSERT_TRUE(RunWrite(kMovePersonsPolicy, [&] {
            const PersonRecoding persons(locator, "100001");
            ASSERT_EQ(persons.Count(), 3);
            lastCode = persons.GiveCodesAfter("100002001");
        }));
        EXPECT_EQ(lastCode, "100002004");
        const auto rows = database.Rows("select field_1, field_2 from usertabb811 order by field_1");
        ASSERT_EQ(rows.size(), 5U);
        std::vector<std::string> codes;
        for (const auto& row : rows) codes.push_back(row[0]);
        EXPECT_EQ(codes, (std::vector<std::string>{"100002001", "100002002", "100002003", "100002004", "100003001"}));
        EXPECT_EQ(rows[0][1], "丁");
        EXPECT_EQ(rows[4][1], "戊");
        // Which moved person gets which of the new codes follows the order the rows are read in.
        std::vector<std::string> moved{rows[1][1], rows[2][1], rows[3][1]};
        std::ranges::sort(moved);
        std::vector<std::string> expected{"甲", "乙", "丙"};
        std::ranges::sort(expected);
        EXPECT_EQ(moved, expected);
        EXPECT_TRUE(messages.texts.empty());
    }
}

}  // namespace
}  // namespace keltrov::test
