#pragma once
// Private to the database layer: what a connection holds.
#include "platform/db/database.hpp"
#include "platform/db/dialect.hpp"
#include "platform/db/odbc_internal.hpp"

#include <map>
#include <optional>

namespace keltrov::db {

// Owns one statement handle of a connection.
class StatementHandle {
public:
    explicit StatementHandle(SQLHDBC connection);
    ~StatementHandle();
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
    SQLHSTMT get() const { return m_handle; }

private:
    SQLHSTMT m_handle = SQL_NULL_HSTMT;
};

struct CDatabase::Impl final : SchemaProbe {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    bool connected = false;
    bool canTransact = false;
    std::string dbmsName;
    std::unique_ptr<Dialect> dialect;
    std::optional<DbException> transactionError;
    RoundTrips roundTrips;
    // The columns that identify a row of each table read so far, as the dialect finds them.
    std::map<std::string, RowKey> rowKeys;
    // The driver reads any column with SQLGetData after a fetch, also a bound one, from its start.
    bool getsDataOfBoundColumns = false;

    std::vector<std::vector<std::string>> QueryRows(const std::string& sql) override;
    // Every statement of the layer runs here, so that it is counted.
    SQLRETURN Execute(SQLHSTMT statement, const std::string& sql);
    SQLRETURN EndTran(SQLSMALLINT completion);
    const RowKey& RowKeyOf(const std::string& table);
    // Runs a statement that has already been rewritten for this database.
    void ExecuteDirect(const std::string& sql);
    bool SetAutoCommit(bool on);
    bool EndTransaction(SQLSMALLINT completion);
    // Runs one of the database's own transaction statements, keeping its error when it fails.
    bool RunTransactionStatement(const char* sql);
    bool BeginOwnTransaction(const TransactionSql& own, TransactionKind kind);
    bool CommitOwnTransaction(const TransactionSql& own);
    bool RollbackOwnTransaction(const TransactionSql& own);
    bool BeginSwitchedTransaction(TransactionKind kind);
    bool CommitSwitchedTransaction();
    // FALSE, with the reason kept, when the transaction lost its mark: its work is not whole.
    bool TransactionKeptItsMark();
};

}  // namespace keltrov::db
