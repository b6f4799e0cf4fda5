// The SQLite and PostgreSQL adapters over arbitrary statements: every literal and quoted name comes
// out unchanged and in order; and a "select top N" statement returns at most N rows on a real SQLite
// database. The PostgreSQL rewrite runs on text alone, its column look-ups answered by a fixed table.
#include "platform/db/database.hpp"
#include "platform/db/dialect.hpp"
#include "platform/db/recordset.hpp"
#include "platform/db/sql_tokens.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace keltrov::db;

namespace {

class NoTables : public SchemaProbe {
public:
    std::vector<std::vector<std::string>> QueryRows(const std::string&) override { return {}; }
};

// Every table as PostgreSQL describes the wage table: its second column filled by the server.
class EveryTableWithIdentity : public SchemaProbe {
public:
    std::vector<std::vector<std::string>> QueryRows(const std::string&) override {
        return {{"relationid", "NO"}, {"autoid", "YES"}, {"field_1", "NO"}};
    }
};

// Counts the rows of any result; the columns need no storage.
class RowCounter : public CRecordset {
public:
    using CRecordset::CRecordset;
    void DoFieldExchange(CFieldExchange* pFX) override {
        for (short i = 0; i < GetODBCFieldCount(); ++i) RFX_Skip(pFX);
    }
};

[[noreturn]] void Fail(const std::string& what, std::string_view sql, const std::string& rewritten) {
    std::fprintf(stderr, "%s\n  in:  %.*s\n  out: %s\n", what.c_str(), static_cast<int>(sql.size()), sql.data(),
                 rewritten.c_str());
    std::abort();
}

std::vector<std::string> Literals(std::string_view sql) {
    std::vector<std::string> literals;
    for (const Token& token : Tokenize(sql)) {
        if (token.kind == TokenKind::String || token.kind == TokenKind::QuotedName) literals.push_back(token.text);
    }
    return literals;
}

void CheckLiteralsKept(const Dialect& dialect, SchemaProbe& probe, std::string_view sql) {
    const std::string rewritten = dialect.Rewrite(sql, probe);
    const std::vector<std::string> before = Literals(sql);
    const std::vector<std::string> after = Literals(rewritten);
    size_t next = 0;
    for (const std::string& literal : after) {
        if (next < before.size() && literal == before[next]) ++next;
    }
    if (next != before.size()) Fail("a literal changed", sql, rewritten);
}

// In memory: no file name made of the process id, whose length would change the coverage of a run.
CDatabase& FiveRows() {
    static CDatabase* db = [] {
        auto* opened = new CDatabase;
        opened->OpenEx("Driver=SQLite3;Database=:memory:");
        opened->ExecuteSQL("create table five (a int, b varchar(9))");
        opened->ExecuteSQL("insert into five values (1,'x'),(2,'y'),(3,'z'),(4,'--'),(5,'/*')");
        return opened;
    }();
    return *db;
}

// "select top N * from five" followed by the fuzzed tail (conditions, comments, unions, …).
void CheckTopLimits(std::string_view tail, unsigned n) {
    const std::string sql = "select top " + std::to_string(n) + " * from five " + std::string(tail);
    RowCounter rows(&FiveRows());
    try {
        rows.Open(CRecordset::snapshot, sql, CRecordset::readOnly);
        unsigned count = 0;
        for (; !rows.IsEOF(); rows.MoveNext()) ++count;
        if (count > n)
            Fail(std::to_string(count) + " rows for top " + std::to_string(n), sql, FiveRows().Translate(sql));
    } catch (const DbException&) {
        // Statements the database refuses cannot break the limit.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 4096) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    NoTables noTables;
    CheckLiteralsKept(SqliteDialect(), noTables, input.substr(1));
    EveryTableWithIdentity identity;
    CheckLiteralsKept(PostgresDialect(), identity, input.substr(1));
    // Statements with an embedded zero are cut by the driver; the limit property needs whole ones.
    // Braces start the driver's own ODBC escape clauses, whose parser takes exponential time on
    // deep nesting: a fault of the driver that this property does not test.
    if (input.find('\0') == std::string_view::npos && input.find('{') == std::string_view::npos)
        CheckTopLimits(input.substr(1), static_cast<unsigned>(data[0]) % 4);
    return 0;
}
