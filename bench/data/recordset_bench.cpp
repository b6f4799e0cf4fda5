// Reading wage-shaped rows through CDynRecordset against a plain bind-and-fetch loop, changing rows
// through CRecordset::Update, and inserts through the dialect adapter against plain SQLExecDirect of
// the rewritten texts. Runs on SQLite, or on PostgreSQL with KELTROV_TEST_DATABASE=postgresql (and
// KELTROV_PG_CONNECT, as scripts/pg-cluster.sh env prints it). Beside the times, the round trips of an
// iteration: statements run and transactions ended.
#include "bench/plain_odbc.hpp"
#include "bench/round_trips.hpp"
#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "platform/db/database_impl.hpp"
#include "tests/support/test_database.hpp"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

using keltrov::bench::RoundTripCounter;
using keltrov::db::CDatabase;

const std::string kQuery = "select * from usertabb812";
constexpr int kColumns = 29;
constexpr int kUpdatedRows = 1000;

std::string WageInsert(int i) {
    keltrov::sql::WageRowValues row{{std::to_string(100000000 + i), "name", "dept", "0001"}, {}};
    for (int k = kTextColumns + 1; k <= kWageColumns; ++k)
        row.amounts[static_cast<size_t>(k - kTextColumns - 1)] = k * 10 + i % 7 + 0.25;
    return keltrov::sql::InsertWageRow("100000012026-11-30", row);
}

std::string PersonInsert(int i) {
    return "insert into usertabb811 (relationid, field_1, field_2) values ('B0000001','" +
           std::to_string(100000000 + i) + "','name')";
}

keltrov::test::TestDatabase& WageDatabase(int rows) {
    static std::map<int, std::unique_ptr<keltrov::test::TestDatabase>> databases;
    auto& database = databases[rows];
    if (database) return *database;
    database = std::make_unique<keltrov::test::TestDatabase>();
    CDatabase& db = database->Db();
    db.BeginTrans();
    for (int i = 0; i < rows; ++i) db.ExecuteSQL(WageInsert(i));
    for (int i = 0; i < kUpdatedRows; ++i) db.ExecuteSQL(PersonInsert(i));
    db.CommitTrans();
    return *database;
}

void BM_DynRecordsetRead(benchmark::State& state) {
    CDatabase& db = WageDatabase(static_cast<int>(state.range(0))).Db();
    const RoundTripCounter trips(db);
    for (auto _ : state) {
        CDynRecordset rs(&db);
        rs.OpenSql(kQuery);
        size_t bytes = 0;
        for (; !rs.IsEOF(); rs.MoveNext())
            for (int i = 0; i < kColumns; ++i) bytes += rs.GetFieldValue(i).AsText().size();
        benchmark::DoNotOptimize(bytes);
    }
    trips.Report(state);
}

void BM_PlainOdbcRead(benchmark::State& state) {
    CDatabase& db = WageDatabase(static_cast<int>(state.range(0))).Db();
    const RoundTripCounter trips(db);
    long long statements = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadPlain(db, kQuery));
        ++statements;
    }
    trips.Report(state, statements);
}

// Re-codes rows one by one through Edit and Update in one transaction, rolled back: the wage table
// has a key (its self-filled column), the person table has SQLite's row number only.
void BM_RecordsetUpdate(benchmark::State& state, const std::string& query, const char* column) {
    CDatabase& db = WageDatabase(kUpdatedRows).Db();
    const RoundTripCounter trips(db);
    for (auto _ : state) {
        db.BeginTrans();
        CDynRecordset rs(&db);
        rs.OpenSql(query);
        const int index = rs.GetFieldIndex(column);
        for (int row = 0; !rs.IsEOF(); rs.MoveNext(), ++row) {
            rs.Edit();
            rs.GetFieldValue(index).SetText(std::to_string(200000000 + row));
            rs.Update();
        }
        db.Rollback();
    }
    trips.Report(state);
}

void BM_AdapterInserts(benchmark::State& state) {
    CDatabase& db = WageDatabase(0).Db();
    const RoundTripCounter trips(db);
    for (auto _ : state) {
        db.BeginTrans();
        for (int i = 0; i < state.range(0); ++i) db.ExecuteSQL(WageInsert(i));
        db.Rollback();
    }
    trips.Report(state);
}

void BM_PlainInserts(benchmark::State& state) {
    CDatabase& db = WageDatabase(0).Db();
    std::vector<std::string> rewritten;
    for (int i = 0; i < state.range(0); ++i) rewritten.push_back(db.Translate(WageInsert(i)));
    const RoundTripCounter trips(db);
    long long statements = 0;
    for (auto _ : state) {
        db.BeginTrans();
        for (const std::string& sql : rewritten) {
            keltrov::db::StatementHandle statement(db.GetImpl().connection);
            SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
            ++statements;
        }
        db.Rollback();
    }
    trips.Report(state, statements);
}

}  // namespace

BENCHMARK(BM_DynRecordsetRead)->Arg(100000)->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainOdbcRead)->Arg(100000)->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecordsetUpdate, wages_by_key, std::string("select * from usertabb812"), "field_1")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecordsetUpdate, persons, std::string("select * from usertabb811"), "field_1")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AdapterInserts)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainInserts)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
