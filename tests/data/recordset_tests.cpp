#include "data/dyn_recordset.hpp"
#include "host/host_tables.hpp"
#include "platform/db/database_impl.hpp"
#include "tests/support/test_database.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <tuple>
#include <utility>
#include <vector>

namespace keltrov::test {
namespace {

using RecordsetTest = DatabaseTest;

TEST_F(RecordsetTest, BindsKindsByDriverType) {
    const host::ColumnTypes& types = host::ColumnTypesOf(database.Db());
    database.Exec(std::string("create table kinds (i int, s smallint, d double precision, r real, t varchar(10), ") +
                  "m decimal(12,2), ts " + types.dateTime + ", b " + types.binary + ")");
    database.Db().ExecuteSQLWithBytes(
        "insert into kinds values (7, 3, 1234.5, 2.25, 'abc', 12.50, '2006-05-19 08:05:00', ?)", {0x00, 0xff});
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select * from kinds");
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetFieldValue(rs.GetFieldIndex("i")).m_dwType, DBVT_LONG);
    EXPECT_EQ(rs.GetFieldValue(rs.GetFieldIndex("S")).m_dwType, DBVT_LONG);  // short arrives as long
    EXPECT_EQ(rs.GetFieldValue(rs.GetFieldIndex("d")).AsText(), "1234.50");
    EXPECT_EQ(rs.GetFieldValue(rs.GetFieldIndex("t")).AsText(), "abc");
    EXPECT_DOUBLE_EQ(rs.GetFieldValue(rs.GetFieldIndex("m")).AsDouble(), 12.5);
    EXPECT_EQ(rs.GetFieldValue(rs.GetFieldIndex("ts")).AsText(), "2006-05-19 08:05");
    const auto* bytes = rs.GetFieldValue(rs.GetFieldIndex("b")).GetBinary();
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(*bytes, (std::vector<unsigned char>{0x00, 0xff}));
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
}

// The host's amount type, which SQLite's driver declares as text.
TEST_F(RecordsetTest, AmountsFetchedAsNumbersKeepTheirValuesAndNulls) {
    database.Exec(std::string("create table amounts (k int, m ") + host::ColumnTypesOf(database.Db()).decimal + ")");
    database.Exec("insert into amounts values (1, 5200.35), (2, null), (3, -9999999999.99), (4, 0)");
    CDynRecordset rs(&database.Db());
    rs.FetchAsNumbers(0, 0);
    rs.OpenSql("select m, k from amounts order by k");
    std::vector<std::pair<double, bool>> read;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        ASSERT_EQ(rs.GetFieldValue(0).m_dwType, DBVT_DOUBLE);
        ASSERT_EQ(rs.GetFieldValue(1).m_dwType, DBVT_LONG);  // outside the range: by its type
        read.emplace_back(rs.GetFieldValue(0).AsDouble(), rs.GetFieldValue(0).m_bNull);
    }
    EXPECT_EQ(read, (std::vector<std::pair<double, bool>>{
                        {5200.35, false}, {0.0, true}, {-9999999999.99, false}, {0.0, false}}));
}

// SQLite keeps whatever text is written into an amount column; such a value reads as the number it
// starts with, as the C library reads it, and as null when it starts with none. A text longer than the bound room is
// read whole.
TEST_F(RecordsetTest, AmountTextsReadAsTheNumberTheyStartWith) {
    if (database.IsPostgres()) GTEST_SKIP() << "a numeric column holds numbers only";
    const std::string longNumber = "1" + std::string(80, '0') + ".5";
    database.Exec("create table amounts (k int, m decimal(12,2))");
    database.Exec("insert into amounts values (1, 'abc'), (2, ''), (3, '12x'), (4, ' 7'), (5, '1e400'), (6, '" +
                  longNumber + "'), (7, '+0.1e1')");
    CDynRecordset rs(&database.Db());
    rs.FetchAsNumbers(0, 0);
    rs.OpenSql("select m from amounts order by k");
    std::vector<std::pair<double, bool>> read;
    for (; !rs.IsEOF(); rs.MoveNext()) read.emplace_back(rs.GetFieldValue(0).AsDouble(), rs.GetFieldValue(0).m_bNull);
    EXPECT_EQ(read, (std::vector<std::pair<double, bool>>{{0.0, true},
                                                          {0.0, true},
                                                          {12.0, false},
                                                          {7.0, false},
                                                          {HUGE_VAL, false},
                                                          {std::strtod(longNumber.c_str(), nullptr), false},
                                                          {1.0, false}}));
}

TEST_F(RecordsetTest, NamesAreUpperCaseAndUnique) {
    database.Exec("create table a (field_1 varchar(5))");
    database.Exec("create table b (field_1 varchar(5))");
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select a.field_1, b.field_1 from a, b");
    EXPECT_TRUE(rs.IsEOF());  // no row, but the columns are bound and named
    EXPECT_EQ(rs.GetColumnName(0), "FIELD_1");
    EXPECT_EQ(rs.GetColumnName(1), "FIELD_12");
    EXPECT_EQ(rs.GetFieldIndex("Field_12"), 1);
    EXPECT_EQ(rs.GetFieldIndex("missing"), -1);
    // An index outside the columns reads as a null value of kind 0.
    EXPECT_EQ(rs.GetFieldValue(-1).m_dwType, DBVT_NULL);
    EXPECT_TRUE(rs.GetFieldValue(5).m_bNull);
}

TEST_F(RecordsetTest, NullFlagsFollowEachRowAndReopenRebinds) {
    database.Exec("create table n (a varchar(5), b int)");
    database.Exec("insert into n values ('x', null), (null, 4)");
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select * from n order by b");
    EXPECT_TRUE(rs.GetFieldValue(1).m_bNull);
    EXPECT_EQ(rs.GetFieldValue(1).AsLong(), 0);
    rs.MoveNext();
    EXPECT_TRUE(rs.GetFieldValue(0).m_bNull);
    EXPECT_EQ(rs.GetFieldValue(1).AsLong(), 4);
    rs.Close();
    rs.OpenSql("select b from n where b = 4");
    EXPECT_EQ(rs.GetColumnName(0), "B");
    EXPECT_EQ(rs.GetFieldValue(0).AsText(), "4");
}

TEST_F(RecordsetTest, UpdateChangesExactlyTheCurrentRow) {
    database.Exec("create table u (code varchar(9), name varchar(9))");
    database.Exec("insert into u values ('100001','a'), ('100002','b')");
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select * from u where code like '1000%' ");
    rs.Edit();
    rs.GetFieldValue(0).SetText("100009");
    EXPECT_TRUE(rs.Update());
    EXPECT_EQ(database.Rows("select code from u order by name"),
              (std::vector<std::vector<std::string>>{{"100009"}, {"100002"}}));
}

std::vector<std::vector<std::string>> Count(TestDatabase& database, const std::string& where) {
    return database.Rows("select count(*) from " + where);
}

using Rows = std::vector<std::vector<std::string>>;

// Rows alike but for their key: the update changes the current one only, whether the query lists the
// key or the recordset selects it along (and keeps it out of the columns it shows).
TEST_F(RecordsetTest, UpdateFindsItsRowByTheKeyAmongRowsOfTheSameValues) {
    database.Exec("create table keyed (id int primary key, code varchar(9), note varchar(9))");
    database.Exec("insert into keyed values (1, '1', null), (2, '1', null)");
    database.Exec("insert into usertabb812 (relationid, field_1) values ('k', '1'), ('k', '1')");
    struct Case {
        std::string query, table, column;
        int shown;
    };
    std::vector<Case> cases{
        {"select code, note from keyed", "keyed", "code", 2},
        {"select * from keyed order by id desc", "keyed", "code", 3},
        {"select top 1 keyed.code from keyed where note is null", "keyed", "code", 1},
        {"select field_1 from usertabb812", "usertabb812", "field_1", 1},
        {"select * from usertabb812", "usertabb812", "field_1", 29},
    };
    if (!database.IsPostgres()) {
        database.Exec("create table numbered (code varchar(9))");
        database.Exec("insert into numbered values ('1'), ('1')");
        database.Exec("create table unnumbered (n int primary key, code varchar(9)) without rowid");
        database.Exec("insert into unnumbered values (1, '1'), (2, '1')");
        cases.push_back({"select * from numbered", "numbered", "code", 1});
        cases.push_back({"select code from unnumbered", "unnumbered", "code", 1});
    }
    for (const Case& c : cases) {
        database.Exec("update " + c.table + " set " + c.column + "='1'");
        CDynRecordset rs(&database.Db());
        rs.OpenSql(c.query);
        EXPECT_EQ(rs.GetODBCFieldCount(), c.shown) << c.query;
        rs.Edit();
        rs.GetFieldValue(rs.GetFieldIndex(c.column)).SetText("2");
        EXPECT_TRUE(rs.Update()) << c.query;
        EXPECT_EQ(Count(database, c.table + " where " + c.column + "='2'"), (Rows{{"1"}})) << c.query;
        EXPECT_EQ(Count(database, c.table + " where " + c.column + "='1'"), (Rows{{"1"}})) << c.query;
    }
}

// Without a key (a view; on PostgreSQL also a table without primary key) the row is found by its
// values, and when another row holds them too nothing is changed.
TEST_F(RecordsetTest, UpdateWithoutKeyNeedsValuesNoOtherRowHolds) {
    database.Exec("create table dup (code varchar(9), note varchar(9))");
    database.Exec("insert into dup values ('1', null), ('1', null), ('3', null)");
    database.Exec("create view dupview as select code, note from dup");
    std::vector<std::string> sources{"dupview"};
    if (database.IsPostgres()) sources.push_back("dup");
    for (const std::string& source : sources) {
        CDynRecordset rs(&database.Db());
        rs.OpenSql("select * from " + source + " order by code");
        rs.Edit();
        rs.GetFieldValue(0).SetText("2");
        EXPECT_THROW(rs.Update(), db::DbException) << source;
        EXPECT_EQ(Count(database, "dup where code='1'"), (Rows{{"2"}})) << source;
    }
    // Distinct rows leave no key to select along either: the single matching row is changed.
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select distinct code, note from dup where code='3'");
    rs.Edit();
    rs.GetFieldValue(0).SetText("4");
    EXPECT_TRUE(rs.Update());
    EXPECT_EQ(database.Rows("select code from dup order by code"), (Rows{{"1"}, {"1"}, {"4"}}));
}

// A row found by its key is changed in one statement; without a key (none can be selected along with
// distinct rows) it is counted first.
TEST_F(RecordsetTest, UpdateByKeyRunsOneStatement) {
    database.Exec("create table keyed (id int primary key, code varchar(9))");
    database.Exec("insert into keyed values (1, '1')");
    const std::pair<const char*, long long> cases[] = {{"select code from keyed", 1},
                                                       {"select distinct code from keyed", 2}};
    for (const auto& [query, statements] : cases) {
        CDynRecordset rs(&database.Db());
        rs.OpenSql(query);
        rs.Edit();
        rs.GetFieldValue(0).SetText(rs.GetFieldValue(0).AsText() + "0");
        const long long before = database.Db().GetRoundTrips().statements;
        EXPECT_TRUE(rs.Update()) << query;
        EXPECT_EQ(database.Db().GetRoundTrips().statements - before, statements) << query;
    }
    EXPECT_EQ(database.Rows("select code from keyed"), (Rows{{"100"}}));
}

// The row is found by the values it was read with, too: a change another user made meanwhile stays.
TEST_F(RecordsetTest, UpdateOfARowChangedSinceItWasReadFailsAndKeepsTheOtherChange) {
    database.Exec("create table keyed (id int primary key, code varchar(9), note varchar(9))");
    database.Exec("insert into keyed values (1, '1', null)");
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select code, note from keyed");
    database.Exec("update keyed set note='theirs'");
    rs.Edit();
    rs.GetFieldValue(0).SetText("2");
    EXPECT_THROW(rs.Update(), db::DbException);
    EXPECT_EQ(database.Rows("select code, note from keyed"), (Rows{{"1", "theirs"}}));
}

TEST_F(RecordsetTest, AddNewInsertsTheGivenValues) {
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select * from usertabb054 where relationid = 'B0000001'");
    ASSERT_TRUE(rs.IsEOF());
    rs.AddNew();
    rs.GetFieldValue(rs.GetFieldIndex("relationid")).SetText("B0000001");
    rs.GetFieldValue(rs.GetFieldIndex("field_3")).SetLong(5);
    EXPECT_TRUE(rs.Update());
    EXPECT_EQ(database.Rows("select relationid, field_3 from usertabb054"),
              (std::vector<std::vector<std::string>>{{"B0000001", "5"}}));
}

TEST_F(RecordsetTest, DatabaseErrorsCarryTheDriverText) {
    CDynRecordset rs(&database.Db());
    try {
        rs.OpenSql("select * from nosuch");
        FAIL() << "no exception";
    } catch (const db::DbException& error) {
        EXPECT_NE(error.ErrorText().find("nosuch"), std::string::npos);
        EXPECT_EQ(error.Statement(), "select * from nosuch");
    }
}

TEST_F(RecordsetTest, LongTextsAndBytesAreReadWhole) {
    // A three-byte character straddles byte 5,000 and the text goes on far beyond it.
    const std::string text = std::string(4999, 'a') + "工" + std::string(20000, 'b') + "资";
    std::vector<unsigned char> bytes(600000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
    database.Exec(std::string("create table big (t varchar(30000), b ") + host::ColumnTypesOf(database.Db()).binary +
                  ")");
    database.Db().ExecuteSQLWithBytes("insert into big values ('" + text + "', ?)", bytes);
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select * from big");
    EXPECT_EQ(rs.GetFieldValue(0).AsText(), text);
    ASSERT_NE(rs.GetFieldValue(1).GetBinary(), nullptr);
    EXPECT_EQ(*rs.GetFieldValue(1).GetBinary(), bytes);
}

// Every kind of column, with a null row between two rows of values: no value of one row is left
// behind in the next, and each null reads as null; also where a driver cannot read a bound column
// again and every column is read with SQLGetData.
TEST_F(RecordsetTest, NullsBetweenValuesLeaveNothingBehind) {
    const host::ColumnTypes& types = host::ColumnTypesOf(database.Db());
    database.Exec(
        std::string("create table kinds (n int, i int, d double precision, t varchar(10), m decimal(12,2), ts ") +
        types.dateTime + ", b " + types.binary + ")");
    database.Db().ExecuteSQLWithBytes("insert into kinds values (1, 7, 1234.5, 'abc', 12.5, '2006-05-19 08:05', ?)",
                                      {0x00, 0xff});
    database.Exec("insert into kinds values (2, null, null, null, null, null, null)");
    database.Db().ExecuteSQLWithBytes("insert into kinds values (3, 8, 2.25, 'x', 5200, '2026-12-08 10:00', ?)",
                                      {0x41});
    const Rows expected{
        {"7", "1234.50", "abc", Traits().Decimal("12.5"), "2006-05-19 08:05", std::string("\0\xFF", 2)},
        {"", "", "", "", "", ""},
        {"8", "2.25", "x", Traits().Decimal("5200"), "2026-12-08 10:00", "A"},
    };
    for (const bool bound : {database.Db().GetImpl().getsDataOfBoundColumns, false}) {
        database.Db().GetImpl().getsDataOfBoundColumns = bound;
        const char* const way = bound ? " (bound)" : " (read with SQLGetData)";
        CDynRecordset rs(&database.Db());
        rs.OpenSql("select i, d, t, m, ts, b from kinds order by n");
        for (const auto& row : expected) {
            ASSERT_FALSE(rs.IsEOF());
            const bool nulls = row.front().empty();
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(rs.GetFieldValue(i).AsText(), row[static_cast<size_t>(i)]) << "column " << i << way;
                EXPECT_EQ(rs.GetFieldValue(i).m_bNull, nulls) << "column " << i << way;
            }
            rs.MoveNext();
        }
        EXPECT_TRUE(rs.IsEOF());
    }
}

// SQLite keeps texts longer than the declared size, and a character may take four bytes: such values,
// between shorter ones, are read whole, date-times too.
TEST_F(RecordsetTest, ValuesWiderThanTheirDeclaredSizeAreReadWhole) {
    database.Exec(std::string("create table wide (n int, t varchar(4), ts ") +
                  host::ColumnTypesOf(database.Db()).dateTime + ")");
    const std::string wide =
        database.IsPostgres() ? "工资工资" : std::string(3000, 'a') + "工" + std::string(9000, 'b') + "资";
    const std::string stamp = "2026-12-08 10:00" + std::string(database.IsPostgres() ? 0 : 100, ' ');
    database.Exec("insert into wide values (1, 'ab', null), (2, '" + wide + "', '" + stamp + "'), (3, 'c', null)");
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select t, ts from wide order by n");
    EXPECT_EQ(rs.GetFieldValue(0).AsText(), "ab");
    rs.MoveNext();
    EXPECT_TRUE(rs.GetFieldValue(0).AsText() == wide);
    EXPECT_EQ(rs.GetFieldValue(1).AsText(), "2026-12-08 10:00");
    rs.MoveNext();
    EXPECT_EQ(rs.GetFieldValue(0).AsText(), "c");
    EXPECT_TRUE(rs.GetFieldValue(1).m_bNull);
}

TEST_F(RecordsetTest, NoBytesAreStoredAsAnEmptyValueNotAsNull) {
    database.Db().ExecuteSQLWithBytes("insert into privatevba values ('B812', ?)", {});
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select vbacode from privatevba");
    ASSERT_FALSE(rs.IsEOF());
    EXPECT_FALSE(rs.GetFieldValue(0).m_bNull);
    EXPECT_EQ(database.Rows("select count(*) from privatevba where vbacode is null")[0][0], "0");
}

TEST_F(RecordsetTest, DateTimesWithoutSecondsReadAndTheirRowsUpdate) {
    database.Exec(
        "insert into usertabb811 (relationid, inputdate, field_1, field_2) values "
        "('B0000001', '2026-12-08 10:00', '100001', 'a'), ('B0000001', null, '100002', 'b')");
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select relationid, inputdate, field_1 from usertabb811 order by field_1");
    EXPECT_EQ(rs.GetFieldValue(1).AsText(), "2026-12-08 10:00");
    rs.Edit();
    rs.GetFieldValue(2).SetText("100009");
    EXPECT_TRUE(rs.Update());
    rs.MoveNext();
    EXPECT_TRUE(rs.GetFieldValue(1).m_bNull);
    EXPECT_EQ(database.Rows("select field_1 from usertabb811 where field_2='a' and inputdate='2026-12-08 10:00'"),
              (std::vector<std::vector<std::string>>{{"100009"}}));
}

TEST_F(RecordsetTest, DateTimesKeepTheirSecondsAndFraction) {
    database.Exec(
        "insert into usertabb811 (relationid, inputdate, field_1) values ('B0000001', '2026-12-08 10:20:05.25', '1')");
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select inputdate from usertabb811");
    ASSERT_FALSE(rs.IsEOF());
    const db::Timestamp& read = *rs.GetFieldValue(0).m_pdate;
    EXPECT_EQ(std::vector<int>({read.year, read.month, read.day, read.hour, read.minute, read.second}),
              std::vector<int>({2026, 12, 8, 10, 20, 5}));
    EXPECT_EQ(read.fraction, 250000000u);
}

// A recordset reads the rows as they were when it opened, also while its own connection changes them
// and when the driver fetches them from the server in batches.
TEST_F(RecordsetTest, ReadsTheRowsAsTheyWereWhenItOpened) {
    database.Exec(
        "insert into usertabb811 (relationid, field_1, field_2) values "
        "('B0000001', '1', 'a'), ('B0000001', '2', 'b'), ('B0000001', '3', 'c')");
    const std::string inBatches = database.IsPostgres() ? ";UseDeclareFetch=1;Fetch=1" : ";StepAPI=1";
    for (const std::string& option : {std::string(), inBatches}) {
        db::CDatabase db;
        db.OpenEx(database.ConnectString() + option);
        db.BeginTrans();
        CDynRecordset rs(&db);
        // Unsorted, so that a cursor stepping through the table would meet the changed rows.
        rs.OpenSql("select field_1, field_2 from usertabb811");
        std::vector<std::string> read{rs.GetFieldValue(1).AsText()};
        db.ExecuteSQL("update usertabb811 set field_2 = 'changed' where field_1 = '3'");
        db.ExecuteSQL("insert into usertabb811 (relationid, field_1, field_2) values ('B0000001', '4', 'd')");
        for (rs.MoveNext(); !rs.IsEOF(); rs.MoveNext()) read.push_back(rs.GetFieldValue(1).AsText());
        db.Rollback();
        EXPECT_EQ(read, (std::vector<std::string>{"a", "b", "c"})) << option;
    }
}

TEST(ParseTimestamp, ReadsTheFormsDatabasesWrite) {
    struct Case {
        const char* text;
        db::Timestamp expected;
    };
    const Case cases[] = {
        {"2026-12-08 10:00", {2026, 12, 8, 10, 0, 0, 0}},
        {"2026-12-08", {2026, 12, 8, 0, 0, 0, 0}},
        {"2006-05-19 08:05:07", {2006, 5, 19, 8, 5, 7, 0}},
        {"2006-05-19T08:05:07.25", {2006, 5, 19, 8, 5, 7, 250000000}},
        {"2006/5/9 8:05 ", {2006, 5, 9, 8, 5, 0, 0}},
        {"2006-13-01", {}},
        {"2006-05-19 24:00", {}},
        {"2006-05-19 10:00 x", {}},
        {"abc", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        const db::Timestamp got = db::ParseTimestamp(c.text);
        EXPECT_EQ(std::tie(got.year, got.month, got.day, got.hour, got.minute, got.second, got.fraction),
                  std::tie(c.expected.year, c.expected.month, c.expected.day, c.expected.hour, c.expected.minute,
                           c.expected.second, c.expected.fraction))
            << c.text;
    }
    const db::Timestamp time = db::ParseTimestamp("10:30:00");
    EXPECT_EQ(time.hour, 10);
    EXPECT_EQ(time.minute, 30);
    EXPECT_NE(time.year, 0);  // a time of day alone takes today's date
}

}  // namespace
}  // namespace keltrov::test
