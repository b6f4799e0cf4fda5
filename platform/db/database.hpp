#pragma once
// A connection over the ODBC C API, in the shape the system's callers use.
#include "platform/db/db_exception.hpp"

#include <memory>
#include <string>
#include <vector>

namespace keltrov::db {

class Dialect;

// What a connection has asked of the database server, each a round trip on a network: statements
// run (transaction statements among them) and transactions ended through the driver.
struct RoundTrips {
    long long statements = 0;
    long long transactionEnds = 0;
    long long Total() const { return statements + transactionEnds; }
};

// A write transaction takes the database's write lock when it begins; a read one shares it.
enum class TransactionKind { Write, Read };

class CDatabase {
public:
    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Connects with an ODBC connection string; throws DbException with the driver's text.
    void OpenEx(const std::string& connect);
    void Close();
    bool IsOpen() const;

    // FALSE when the database refuses; the connection then stays in auto-commit.
    bool BeginTrans(TransactionKind kind = TransactionKind::Write);
    // FALSE when the commit failed; what it would have stored is then undone.
    bool CommitTrans();
    // TRUE as well when the database had already undone the transaction by itself.
    bool Rollback();
    // Why the last begin, commit or rollback failed; null after one that succeeded.
    const DbException* TransactionError() const;
    // Runs one statement (written in the SQL Server dialect) through the dialect adapter.
    void ExecuteSQL(const std::string& sql);
    // Runs one statement whose single parameter marker takes the bytes as a binary value.
    void ExecuteSQLWithBytes(const std::string& sql, const std::vector<unsigned char>& bytes);
    // TRUE when the driver supports transactions at all.
    bool CanTransact() const;

    const std::string& GetDbmsName() const;
    // The statement as this connection's database understands it.
    std::string Translate(const std::string& sql);
    // The column that finds one row of a table within a write transaction; null when there is none.
    const char* RowLocator() const;
    // Counted since the connection opened.
    const RoundTrips& GetRoundTrips() const;

    struct Impl;
    Impl& GetImpl() const { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace keltrov::db
