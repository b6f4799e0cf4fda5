// A month saved many rows to a statement stores exactly what a delete and an insert per sheet row
// store, on either database.
#include "tests/support/test_database.hpp"
#include "wages/wage_statements.hpp"

#include <gtest/gtest.h>

namespace keltrov::test {
namespace {

constexpr const char* kMonth = "B00000012026-11-30";
constexpr const char* kOtherMonth = "B00000012026-10-31";

using Rows = std::vector<std::vector<std::string>>;

class WageSave : public DatabaseTest {
protected:
    // Stored rows of both months, and one of another person in the saved month that must stay.
    void StoreEarlierRows() {
        database.Exec("delete from usertabb812");
        for (const char* key : {kMonth, kOtherMonth})
            for (const char* code : {"100001003", "100001250", "199999999"})
                database.Exec("insert into usertabb812 (relationid, field_1, field_5) values('" + std::string(key) +
                              "','" + code + "',1)");
    }

    void Run(const std::vector<std::string>& statements) {
        database.Db().BeginTrans();
        for (const std::string& statement : statements) database.Exec(statement);
        database.Db().CommitTrans();
    }

    Rows Stored() {
        return database.Rows(
            "select relationid, field_1, field_2, field_3, field_4, field_5, field_26 from usertabb812 "
            "order by relationid, field_1, field_5");
    }
};

// Sheet rows whose codes repeat, near and far apart (across the statements' groups), with quotes in texts.
std::vector<WageRowValues> SheetRows(int count) {
    std::vector<WageRowValues> rows(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        WageRowValues& row = rows[static_cast<size_t>(i)];
        const int person = i % 7 == 0 ? i / 3 : i;
        row.texts = {"100001" + std::to_string(100 + person % 900), "姓'名" + std::to_string(i), "部门",
                     "内部" + std::to_string(i)};
        row.amounts.fill(0.0);
        row.amounts[0] = 1000.0 + i + 0.005;
        row.amounts.back() = -i * 0.25;
    }
    return rows;
}

TEST_F(WageSave, GroupedStatementsStoreWhatRowByRowStores) {
    for (int count : {1, 199, 200, 201, 450}) {
        const std::vector<WageRowValues> rows = SheetRows(count);
        StoreEarlierRows();
        std::vector<std::string> rowByRowStatements;
        for (const WageRowValues& row : rows)
            for (std::string& statement : SaveWageRowsStatements(kMonth, {row}))
                rowByRowStatements.push_back(std::move(statement));
        Run(rowByRowStatements);
        const Rows rowByRow = Stored();

        StoreEarlierRows();
        Run(SaveWageRowsStatements(kMonth, rows));
        EXPECT_EQ(Stored(), rowByRow) << count << " rows";
    }
}

TEST_F(WageSave, NineHundredRowsTakeTenStatementsAndNoRowsNone) {
    EXPECT_EQ(SaveWageRowsStatements(kMonth, SheetRows(900)).size(), 10U);
    EXPECT_TRUE(SaveWageRowsStatements(kMonth, {}).empty());
}

}  // namespace
}  // namespace keltrov::test
