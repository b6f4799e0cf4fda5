#pragma once
// The round trips a benchmark's iterations make on a connection: statements run (the plain loops'
// own statements added by hand, as they bypass the connection) and transactions ended.
#include <benchmark/benchmark.h>

#include "platform/db/database.hpp"

namespace keltrov::bench {

class RoundTripCounter {
public:
    explicit RoundTripCounter(const db::CDatabase& db) : m_db(db), m_start(db.GetRoundTrips()) {}

    void Report(benchmark::State& state, long long plainStatements = 0) const {
        const db::RoundTrips& now = m_db.GetRoundTrips();
        const auto perIteration = benchmark::Counter::kAvgIterations;
        state.counters["statements"] = benchmark::Counter(
            static_cast<double>(now.statements - m_start.statements + plainStatements), perIteration);
        state.counters["transaction_ends"] =
            benchmark::Counter(static_cast<double>(now.transactionEnds - m_start.transactionEnds), perIteration);
    }

private:
    const db::CDatabase& m_db;
    db::RoundTrips m_start;
};

}  // namespace keltrov::bench
