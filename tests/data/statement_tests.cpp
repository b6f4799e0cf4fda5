// The statement catalogue as the databases see it: what each dialect makes of every statement, and
// every statement run on the demo database, with the same rows on PostgreSQL as on SQLite.
#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "host/host_tables.hpp"
#include "platform/db/dialect.hpp"
#include "platform/db/transaction.hpp"
#include "tests/support/test_database.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace keltrov::test {
namespace {

// Answers the column look-up of a positional insert as the host's tables would, in a few columns:
// the wage table fills "autoid" itself, the other tables fill none.
class HostLikeCatalogue : public db::SchemaProbe {
public:
    std::vector<std::vector<std::string>> QueryRows(const std::string& sql) override {
        const bool wages = sql.find("'usertabb812'") != std::string::npos;
        if (sql.find("pragma_table_info") != std::string::npos) {
            if (!wages) return {{"relationid", "varchar(30)", "0"}};
            return {{"relationid", "varchar(30)", "0"}, {"autoid", "integer", "1"}, {"field_1", "varchar(60)", "0"}};
        }
        if (!wages) return {{"relationid", "NO"}};
        return {{"relationid", "NO"}, {"autoid", "YES"}, {"field_1", "NO"}};
    }
};

struct Edit {
    std::string from;
    std::string to;
};

// What a dialect changes in a statement, edit by edit from the statement's start; every statement
// left out of a table comes out of that dialect exactly as it went in.
using RewriteTable = std::map<std::string, std::vector<Edit>>;

const Edit kWageColumnList{"insert into usertabb812 ", "insert into usertabb812(relationid,field_1) "};
const Edit kSqliteNow{"getdate()", "datetime('now','localtime')"};
const Edit kPostgresNow{"getdate()", "localtimestamp"};

const RewriteTable kSqliteRewrites{
    {"HighestWageCodeUnder", {{"select top 1 field_1", "select field_1"}, {"field_1 desc", "field_1 desc limit 1"}}},
    {"InsertCompany", {kSqliteNow}},
    {"InsertDepartment", {kSqliteNow}},
    {"WageTemplate", {{"select top 1 *", "select *"}, {"'B812'", "'B812' limit 1"}}},
    {"GenerateMonth",
     {kWageColumnList,
      {"relationid='100000012026-11-30',inputdate=getdate(),",
       "'100000012026-11-30' as relationid,datetime('now','localtime') as inputdate,"},
      {"(select top 1 relationid", "(select relationid"},
      {"relationid desc)", "relationid desc limit 1)"}}},
    {"InsertWageRows", {kWageColumnList, kSqliteNow, kSqliteNow}},
    {"InsertWageRow", {kWageColumnList, kSqliteNow}},
};

const RewriteTable kPostgresRewrites{
    {"TreeNodes", {{"order by field_1 ", "order by field_1 nulls first "}}},
    {"HighestCompany", {{"field_1 desc", "field_1 desc nulls last"}}},
    {"HighestDepartmentUnder", {{"field_1 desc", "field_1 desc nulls last"}}},
    {"HighestPersonUnder", {{"field_1 desc", "field_1 desc nulls last"}}},
    {"HighestWageCodeUnder",
     {{"select top 1 field_1", "select field_1"}, {"field_1 desc", "field_1 desc nulls last limit 1"}}},
    {"InsertCompany", {kPostgresNow}},
    {"InsertDepartment", {kPostgresNow}},
    {"FormDefinitionRows", {{"order by field_9", "order by field_9 nulls first"}}},
    {"WageTemplate", {{"select top 1 *", "select *"}, {"'B812'", "'B812' limit 1"}}},
    {"GenerateMonth",
     {kWageColumnList,
      {"relationid='100000012026-11-30',inputdate=getdate(),",
       "'100000012026-11-30' as relationid,localtimestamp as inputdate,"},
      {"(select top 1 relationid", "(select relationid"},
      {"relationid desc)", "relationid desc nulls last limit 1)"}}},
    {"InsertWageRows", {kWageColumnList, kPostgresNow, kPostgresNow}},
    {"InsertWageRow", {kWageColumnList, kPostgresNow}},
};

std::string Edited(std::string sql, const std::vector<Edit>& edits) {
    size_t from = 0;
    for (const Edit& edit : edits) {
        const size_t at = sql.find(edit.from, from);
        if (at == std::string::npos) {
            ADD_FAILURE() << "\"" << edit.from << "\" is not in " << sql;
            continue;
        }
        sql.replace(at, edit.from.size(), edit.to);
        from = at + edit.to.size();
    }
    return sql;
}

void ExpectRewrites(const db::Dialect& dialect, const RewriteTable& table) {
    HostLikeCatalogue probe;
    std::vector<std::string> names;
    for (const sql::SampleStatement& statement : sql::SampleStatements()) {
        names.push_back(statement.name);
        const auto edits = table.find(statement.name);
        const std::string expected = edits == table.end() ? statement.sql : Edited(statement.sql, edits->second);
        EXPECT_EQ(dialect.Rewrite(statement.sql, probe), expected) << statement.name;
    }
    for (const auto& [name, edits] : table)
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << "no statement " << name;
}

TEST(StatementCatalogue, SqliteRewritesEveryStatementAsExpected) {
    ExpectRewrites(db::SqliteDialect(), kSqliteRewrites);
}

TEST(StatementCatalogue, PostgresRewritesEveryStatementAsExpected) {
    ExpectRewrites(db::PostgresDialect(), kPostgresRewrites);
}

TEST(StatementCatalogue, NamesAreUniqueAndStatementsEscapeTheirValues) {
    std::vector<std::string> names;
    for (const sql::SampleStatement& statement : sql::SampleStatements()) names.push_back(statement.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());

    EXPECT_EQ(sql::PersonRecord("B811", "1'; drop table x --", "b"),
              "select * from usertabB811 where field_1='1''; drop table x --' and relationid='b'");
    EXPECT_EQ(sql::DeletePersonsUnder("1_0%"), "delete from usertabb811 where field_1 like '1!_0!%%' escape '!'");
    EXPECT_EQ(sql::HighestPersonUnder("usertabb811", "10!"),
              "select * from usertabb811 where field_1 LIKE '10!!___' escape '!' order by field_1 desc");
}

// Every sample is a seed of the dialect fuzzer: "1" (a limit of one row for its "select top" check)
// followed by the statement, in the file "catalogue-" and the statement's name.
TEST(StatementCatalogue, SeedsTheDialectFuzzer) {
    const std::filesystem::path corpus = std::filesystem::path(KELTROV_FUZZ_CORPUS) / "dialect_fuzz";
    for (const sql::SampleStatement& statement : sql::SampleStatements()) {
        std::ifstream seed(corpus / ("catalogue-" + statement.name), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(seed), std::istreambuf_iterator<char>()};
        EXPECT_EQ(text, "1" + statement.sql) << corpus / ("catalogue-" + statement.name);
    }
    size_t seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus))
        seeds += entry.path().filename().string().starts_with("catalogue-") ? 1 : 0;
    EXPECT_EQ(seeds, sql::SampleStatements().size()) << "a seed of a statement the catalogue no longer has";
}

// A result as both databases can give it: the rows as texts without the columns the databases fill
// by themselves, decimals without trailing zeros, and in order only where the statement orders them.
using Result = std::vector<std::vector<std::string>>;

std::string WithoutTrailingZeros(std::string text) {
    if (text.find('.') == std::string::npos || text.find_first_not_of("-0123456789.") != std::string::npos) return text;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

Result ReadResult(db::CDatabase& db, const std::string& query) {
    CDynRecordset rows(&db);
    rows.OpenSql(query);
    Result result;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        auto& row = result.emplace_back();
        for (short i = 0; i < rows.GetODBCFieldCount(); ++i) {
            db::CODBCFieldInfo info;
            rows.GetODBCFieldInfo(i, info);
            if (info.m_strName != "inputdate" && info.m_strName != "autoid")
                row.push_back(WithoutTrailingZeros(rows.GetFieldValue(i).AsText()));
        }
    }
    if (query.find("order by") == std::string::npos) std::sort(result.begin(), result.end());
    return result;
}

// The table a write statement changes.
std::string WrittenTable(const std::string& statement) {
    std::istringstream words(statement);
    std::string word;
    words >> word;
    if (word != "update") words >> word;  // "into" or "from"
    words >> word;
    return word.substr(0, word.find('('));  // an insert's column list may follow the name at once
}

bool IsRead(const std::string& statement) {
    return statement.starts_with("select");
}

// The demo of 15 November 2026 (its months are the samples' month and the one before), with a wage
// template, a pick list and a number sequence, so that every read of a sample finds rows.
void LoadDemo(db::CDatabase& db) {
    host::LoadDemoData(db, DateTime(2026, 11, 15));
    host::StoreWageTemplate(db, {0x4b, 0x31});
    db.ExecuteSQL(sql::InsertPickListItem(sql::kSampleBank, "2026-11-15 09:00", "B811", "field_6", 0, "会计"));
    db.ExecuteSQL("insert into usertabb054 values('10000001','B811','field_7',3)");
}

// What each sample gives on a demo database: a read its rows, a write its table's rows after it.
// Each runs in a transaction rolled back afterwards, so every sample meets the same demo.
std::map<std::string, Result> SampleResults(db::CDatabase& db) {
    std::map<std::string, Result> results;
    for (const sql::SampleStatement& statement : sql::SampleStatements()) {
        db::Transaction transaction(db, db::TransactionKind::Write);
        try {
            if (IsRead(statement.sql)) {
                results[statement.name] = ReadResult(db, statement.sql);
            } else {
                db.ExecuteSQL(statement.sql);
                results[statement.name] = ReadResult(db, "select * from " + WrittenTable(statement.sql));
            }
        } catch (const db::DbException& error) {
            ADD_FAILURE() << statement.name << ": " << error.ErrorText();
        }
    }
    return results;
}

class CatalogueOnDemo : public DatabaseTest {
protected:
    CatalogueOnDemo() { LoadDemo(database.Db()); }
};

TEST_F(CatalogueOnDemo, EveryReadFindsRowsAndEveryWriteChangesItsTable) {
    const std::map<std::string, Result> results = SampleResults(database.Db());
    for (const sql::SampleStatement& statement : sql::SampleStatements()) {
        const auto found = results.find(statement.name);
        if (found == results.end()) continue;  // failed, and reported so
        const Result& result = found->second;
        if (IsRead(statement.sql)) {
            EXPECT_FALSE(result.empty() || result == Result{{"0"}}) << statement.name << " finds nothing";
        } else {
            EXPECT_NE(result, ReadResult(database.Db(), "select * from " + WrittenTable(statement.sql)))
                << statement.name << " changes nothing";
        }
    }
}

TEST_F(CatalogueOnDemo, EveryStatementGivesTheRowsItGivesOnSqlite) {
    if (!database.IsPostgres()) GTEST_SKIP() << "SQLite is the reference";
    TestDatabase reference(true, Engine::Sqlite);
    LoadDemo(reference.Db());
    const std::map<std::string, Result> expected = SampleResults(reference.Db());
    const std::map<std::string, Result> results = SampleResults(database.Db());
    ASSERT_EQ(expected.size(), sql::SampleStatements().size());
    for (const auto& [name, rows] : expected) {
        const auto found = results.find(name);
        ASSERT_NE(found, results.end()) << name;
        EXPECT_EQ(found->second, rows) << name;
    }
}

}  // namespace
}  // namespace keltrov::test
