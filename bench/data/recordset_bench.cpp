// Reading wage-shaped rows through CDynRecordset against a plain bind-and-fetch loop, and inserts
// through the dialect adapter against plain SQLExecDirect of the rewritten texts.
#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "host/host_tables.hpp"
#include "platform/db/database_impl.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <map>
#include <memory>

namespace {

using keltrov::db::CDatabase;

const std::string kQuery = "select * from usertabb812";

std::string WageInsert(int i) {
    keltrov::sql::WageRowValues row{{std::to_string(100000000 + i), "name", "dept", "0001"}, {}};
    for (int k = kTextColumns + 1; k <= kWageColumns; ++k)
        row.amounts[static_cast<size_t>(k - kTextColumns - 1)] = k * 10 + i % 7 + 0.25;
    return keltrov::sql::InsertWageRow("100000012026-11-30", row);
}

CDatabase& WageDatabase(int rows) {
    static std::map<int, std::unique_ptr<CDatabase>> databases;
    auto& db = databases[rows];
    if (db) return *db;
    const auto path = std::filesystem::temp_directory_path() / ("keltrov-bench-" + std::to_string(rows) + ".sqlite");
    std::filesystem::remove(path);
    db = std::make_unique<CDatabase>();
    db->OpenEx("Driver=SQLite3;Database=" + path.string() + ";");
    keltrov::host::CreateHostTables(*db);
    db->BeginTrans();
    for (int i = 0; i < rows; ++i) db->ExecuteSQL(WageInsert(i));
    db->CommitTrans();
    return *db;
}

void BM_DynRecordsetRead(benchmark::State& state) {
    CDatabase& db = WageDatabase(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CDynRecordset rs(&db);
        rs.OpenSql(kQuery);
        size_t bytes = 0;
        for (; !rs.IsEOF(); rs.MoveNext())
            for (int i = 0; i < 29; ++i) bytes += rs.GetFieldValue(i).AsText().size();
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_PlainOdbcRead(benchmark::State& state) {
    CDatabase& db = WageDatabase(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        keltrov::db::StatementHandle statement(db.GetImpl().connection);
        SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(kQuery.c_str())), SQL_NTS);
        std::vector<std::array<char, 256>> buffers(29);
        std::vector<SQLLEN> lengths(29);
        for (SQLUSMALLINT c = 0; c < 29; ++c)
            SQLBindCol(statement.get(), c + 1, SQL_C_CHAR, buffers[c].data(), 256, &lengths[c]);
        size_t bytes = 0;
        while (SQLFetch(statement.get()) == SQL_SUCCESS)
            for (SQLLEN length : lengths) bytes += length > 0 ? static_cast<size_t>(length) : 0;
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_AdapterInserts(benchmark::State& state) {
    CDatabase& db = WageDatabase(0);
    for (auto _ : state) {
        db.BeginTrans();
        for (int i = 0; i < state.range(0); ++i) db.ExecuteSQL(WageInsert(i));
        db.Rollback();
    }
}

void BM_PlainInserts(benchmark::State& state) {
    CDatabase& db = WageDatabase(0);
    std::vector<std::string> rewritten;
    for (int i = 0; i < state.range(0); ++i) rewritten.push_back(db.Translate(WageInsert(i)));
    for (auto _ : state) {
        db.BeginTrans();
        for (const std::string& sql : rewritten) {
            keltrov::db::StatementHandle statement(db.GetImpl().connection);
            SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
        }
        db.Rollback();
    }
}

}  // namespace

BENCHMARK(BM_DynRecordsetRead)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainOdbcRead)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdapterInserts)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainInserts)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
