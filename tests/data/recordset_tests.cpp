#include "data/dyn_recordset.hpp"
#include "host/host_tables.hpp"
#include "tests/support/test_database.hpp"

#include <gtest/gtest.h>

#include <tuple>

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

TEST_F(RecordsetTest, UpdateOfAnUnidentifiableRowFailsAndTouchesNothing) {
    database.Exec("create table dup (code varchar(9))");
    database.Exec("insert into dup values ('1'), ('1')");
    CDynRecordset rs(&database.Db());
    rs.OpenSql("select * from dup");
    rs.Edit();
    rs.GetFieldValue(0).SetText("2");
    EXPECT_THROW(rs.Update(), db::DbException);
    EXPECT_EQ(database.Rows("select count(*) from dup where code='1'")[0][0], "2");
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
