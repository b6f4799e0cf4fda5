#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "platform/db/dialect.hpp"
#include "platform/db/sql_tokens.hpp"
#include "platform/util/sql_format.hpp"
#include "tests/support/test_database.hpp"
#include "wages/wage_statements.hpp"

#include <gtest/gtest.h>

namespace keltrov::test {
namespace {

class NoTables : public db::SchemaProbe {
public:
    std::vector<std::vector<std::string>> QueryRows(const std::string&) override { return {}; }
};

// A catalogue of one table, "usertabb812", whose second column the server fills; counts the look-ups.
class WageTableCatalogue : public db::SchemaProbe {
public:
    std::vector<std::vector<std::string>> QueryRows(const std::string& sql) override {
        queries.push_back(sql);
        if (sql.find("'usertabb812'") == std::string::npos) return {{"a", "NO"}};
        return {{"relationid", "NO"}, {"autoid", "YES"}, {"field_1", "NO"}};
    }
    std::vector<std::string> queries;
};

struct RewriteCase {
    const char* input;
    const char* expected;
};

TEST(SqliteDialect, RewritesOnTokensAndLeavesLiteralsAlone) {
    const RewriteCase cases[] = {
        {"select a from t where x=(select top 1 r from u order by r desc) ",
         "select a from t where x=(select r from u order by r desc limit 1) "},
        {"insert into t values('a',getdate())", "insert into t values('a',datetime('now','localtime'))"},
        {"select left('%s',8)", "select substr('%s',1,8)"},
        {"select relationid='k',inputdate=getdate(),a.b from t",
         "select 'k' as relationid,datetime('now','localtime') as inputdate,a.b from t"},
        {"select * from t left outer join u on t.a=u.a", "select * from t left outer join u on t.a=u.a"},
        {"select 'select top 1 getdate() left(a,1)' from t", "select 'select top 1 getdate() left(a,1)' from t"},
        {"select x from t where a='it''s top 5'", "select x from t where a='it''s top 5'"},
        {"select top 1 * from reports -- x", "select * from reports limit 1 -- x"},
        {"select top 1 a from t where b='x", "select top 1 a from t where b='x"},
        {"select top 1 \"a from t", "select top 1 \"a from t"},
        {"select top 2 a from t /* c */\n", "select a from t limit 2 /* c */\n"},
        {"select top 2 * from five `--.`--.x", "select * from five `--.` limit 2--.x"},
        {"select top 1 `it's``--` from t", "select `it's``--` from t limit 1"},
        {"select top 1 `a from t", "select top 1 `a from t"},
        {"select top 1 [it's] from t", "select [it's] from t limit 1"},
    };
    db::SqliteDialect dialect;
    NoTables probe;
    for (const RewriteCase& c : cases) EXPECT_EQ(dialect.Rewrite(c.input, probe), c.expected) << c.input;
}

TEST(PostgresDialect, RewritesOnTokensAndLeavesLiteralsAlone) {
    const RewriteCase cases[] = {
        {"select a from t where x=(select top 1 r from u group by r order by r desc) ",
         "select a from t where x=(select r from u group by r order by r desc nulls last limit 1) "},
        {"insert into t (a, b) values('a',getdate())", "insert into t (a, b) values('a',localtimestamp)"},
        {"select left('%s',8)", "select left('%s',8)"},
        {"select relationid='k',inputdate=getdate(),a.b from t",
         "select 'k' as relationid,localtimestamp as inputdate,a.b from t"},
        {"select * from t order by a, b desc, c ASC",
         "select * from t order by a nulls first, b desc nulls last, c ASC nulls first"},
        {"select * from t order by coalesce(a, b) desc, c nulls last",
         "select * from t order by coalesce(a, b) desc nulls last, c nulls last"},
        {"select * from (select f from u union all select f from v) as t1 order by f ",
         "select * from (select f from u union all select f from v) as t1 order by f nulls first "},
        {"select a from t order by(a)", "select a from t order by(a) nulls first"},
        {"select top 2 a from t order by a -- x\n", "select a from t order by a nulls first limit 2 -- x\n"},
        {"select 'order by a top 1 getdate()' from t", "select 'order by a top 1 getdate()' from t"},
        {"select \"order\" from t where a='select x=1'", "select \"order\" from t where a='select x=1'"},
        {"select top 1 a from t where b='x", "select top 1 a from t where b='x"},
    };
    db::PostgresDialect dialect;
    NoTables probe;
    for (const RewriteCase& c : cases) EXPECT_EQ(dialect.Rewrite(c.input, probe), c.expected) << c.input;
}

TEST(PostgresDialect, PositionalInsertsNameTheColumnsTheServerDoesNotFill) {
    db::PostgresDialect dialect;
    WageTableCatalogue catalogue;
    EXPECT_EQ(dialect.Rewrite("insert into usertabB812 values ('k',getdate())", catalogue),
              "insert into usertabB812(relationid,field_1) values ('k',localtimestamp)");
    EXPECT_EQ(dialect.Rewrite("insert into usertabb812 select relationid='k', a.f from a", catalogue),
              "insert into usertabb812(relationid,field_1) select 'k' as relationid, a.f from a");
    EXPECT_EQ(dialect.Rewrite("insert into reports values('B810', 6)", catalogue),
              "insert into reports values('B810', 6)");
    EXPECT_EQ(dialect.Rewrite("insert into reports values('B811', 6)", catalogue),
              "insert into reports values('B811', 6)");
    // Once per table and connection, whatever the case the statement spells the table in.
    EXPECT_EQ(catalogue.queries.size(), 2U);
}

TEST(SqlServerDialect, PassesStatementsUnchanged) {
    NoTables probe;
    const std::string sql = "select top 1 relationid=getdate(), left(a,2) from t";
    EXPECT_EQ(db::SqlServerDialect().Rewrite(sql, probe), sql);
    EXPECT_NE(dynamic_cast<db::SqliteDialect*>(db::MakeDialect("SQLite").get()), nullptr);
    EXPECT_NE(dynamic_cast<db::SqlServerDialect*>(db::MakeDialect("Microsoft SQL Server").get()), nullptr);
    EXPECT_NE(dynamic_cast<db::PostgresDialect*>(db::MakeDialect("PostgreSQL").get()), nullptr);
}

// Only a select whose rows are its table's rows one for one may carry more columns; they go after
// its list, before what follows it.
TEST(PlainSelect, ListsNamesUpToWhereMoreColumnsGo) {
    struct Case {
        const char* sql;
        std::vector<std::string> columns;  // none: not a plain select
        const char* list;                  // the text up to where more columns go
    };
    const Case cases[] = {
        {"select * from t", {"*"}, "select *"},
        {"SELECT top 5 a ,t.b/*c*/ from t where x in (select max(y) from u group by z)",
         {"a", "b"},
         "SELECT top 5 a ,t.b"},
        {"select t.* from t order by 1", {"*"}, "select t.*"},
        {"select count(*) from t", {}, ""},
        {"select distinct a from t", {}, ""},
        {"select a b from t", {}, ""},
        {"select a as b from t", {}, ""},
        {"select a from t group by a", {}, ""},
        {"select a into u from t", {}, ""},
        {"select a from t union select a from u", {}, ""},
        {"select a from t; delete from t", {}, ""},
        {"select a", {}, ""},
        {"update t set a=1", {}, ""},
    };
    for (const Case& c : cases) {
        const std::optional<db::PlainSelect> select = db::ReadPlainSelect(c.sql);
        EXPECT_EQ(select.has_value(), !c.columns.empty()) << c.sql;
        if (!select) continue;
        EXPECT_EQ(select->columns, c.columns) << c.sql;
        EXPECT_EQ(std::string(c.sql).substr(0, select->listEnd), c.list) << c.sql;
    }
}

TEST(SqlFormat, QuotesOnlyValuesInsideLiterals) {
    EXPECT_EQ(FormatSql("select * from usertab%s where field_1 like '%s%%'", "B811", "10'0"),
              "select * from usertabB811 where field_1 like '10''0%'");
    EXPECT_EQ(FormatSql("values('%s',%d)", "a", 7), "values('a',7)");
    EXPECT_THROW(FormatSql("'%s' '%s'", "only one"), std::logic_error);
}

class StatementsOnDatabase : public DatabaseTest {
protected:
    std::vector<std::vector<std::string>> Query(const std::string& sql) {
        CDynRecordset rs(&database.Db());
        rs.OpenSql(sql);
        std::vector<std::vector<std::string>> rows;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            auto& row = rows.emplace_back();
            for (int i = 0; i < rs.GetODBCFieldCount(); ++i) row.push_back(rs.GetFieldValue(i).AsText());
        }
        return rows;
    }
};

TEST_F(StatementsOnDatabase, WageStatementsBehaveAsOnSqlServer) {
    // A positional insert into the wage table skips its self-filled column.
    for (const char* code : {"100001001", "100001002"}) {
        sql::WageRowValues row{{code, "n", "d", "i"}, {}};
        for (size_t k = 0; k < row.amounts.size(); ++k) row.amounts[k] = static_cast<double>(k) + 5.5;
        database.Exec(sql::InsertWageRow("B00000012026-10-31", row));
    }
    database.Exec(
        "insert into usertabb811 (relationid, field_1, field_2, field_5, field_7) values "
        "('B0000001','100001001','n','dept','7'),('B0000001','100001003','m','dept2','8'),"
        "('B0000002','100001004','other bank','dept','9')");
    const std::string key = "B00000012026-11-30";
    for (const std::string& statement : GenerateMonthStatements(key, kTestBank)) database.Exec(statement);
    const auto rows = Query(sql::MonthWages(key, "100001") + " order by field_1");
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0][3], "100001001");
    EXPECT_EQ(rows[0][5], "dept");
    EXPECT_EQ(rows[0][6], "7");
    EXPECT_EQ(std::stod(rows[0][7]), 5.5);  // carried over from the latest earlier month
    EXPECT_EQ(rows[1][3], "100001003");
    EXPECT_EQ(rows[1][7], "");  // no earlier row: null amounts
}

TEST_F(StatementsOnDatabase, TreeUnionAndTopOne) {
    database.Exec(sql::InsertCompany(kTestBank, "100", "c"));
    database.Exec("insert into usertabb811 (relationid, field_1, field_2) values('B0000001','100001','p')");
    database.Db().ExecuteSQLWithBytes("insert into privatevba values('B812', ?)", {0x01, 0x02});
    const auto tree = Query(sql::TreeNodes("B810", kTestBank, "B811", kTestBank));
    ASSERT_EQ(tree.size(), 2U);
    EXPECT_EQ(tree[1][0], "100001");
    EXPECT_EQ(Query(sql::WageTemplate()).size(), 1U);
    database.Exec("insert into reports values('B810', 6), ('B811', 6)");
    EXPECT_EQ(Query("select top 1 * from reports -- x").size(), 1U);
}

TEST_F(StatementsOnDatabase, OrganisationPersonAndFormStatements) {
    const std::string bank = kTestBank;
    database.Exec(sql::InsertCompany(bank, "100", "公司"));
    database.Exec(sql::InsertDepartment("B810", bank, "100001", "部门"));
    database.Exec("insert into usertabb811 (relationid, field_1, field_2) values('B0000001','100001001','p')");
    EXPECT_EQ(Query(sql::HighestCompany())[0][2], "100001");
    EXPECT_EQ(Query(sql::HighestDepartmentUnder("B810", bank, "100"))[0][2], "100001");
    EXPECT_EQ(Query(sql::HighestPersonUnder("usertabb811", "100001")).size(), 1U);
    EXPECT_EQ(Query(sql::PersonRecord("B811", "100001001", bank))[0][3], "p");

    database.Exec(sql::InsertPickListItem(bank, "2026-12-08 10:00", "B811", "field_6", 0, "会计"));
    EXPECT_EQ(Query(sql::PickList(bank, "B811", "field_6"))[0][5], "会计");
    database.Exec(
        "insert into usertabb200 (relationid, field_2, field_4, field_8, field_9) values "
        "('B0000001','field_6','C','B811',1)");
    database.Exec(sql::MarkPickListColumn("B811", "field_6"));
    EXPECT_EQ(Query(sql::CountFormDefinition(bank, "B811"))[0][0], "1");
    const auto form = Query(sql::FormDefinitionRows(bank, "B811"));
    ASSERT_EQ(form.size(), 1U);
    EXPECT_EQ(form[0].size(), 18U);
    EXPECT_EQ(form[0][5], "C");
    database.Exec("insert into usertabb054 values('B0000001','B811','field_7',3)");
    EXPECT_EQ(Query(sql::NumberSequence(bank, "B811", "field_7"))[0][3], "3");

    database.Exec(sql::DeletePerson(bank, "100001001"));
    database.Exec(sql::DeleteOrganisationUnder("100"));
    database.Exec(sql::DeletePersonsUnder("100"));
    EXPECT_EQ(database.Rows("select count(*) from usertabb810")[0][0], "0");
    EXPECT_EQ(Query(sql::BankName("it's")).size(), 0U);
}

}  // namespace
}  // namespace keltrov::test
