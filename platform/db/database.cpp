#include "platform/db/database.hpp"

#include "platform/db/database_impl.hpp"

#include <algorithm>

namespace keltrov::db {

StatementHandle::StatementHandle(SQLHDBC connection) {
    const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, connection, &m_handle);
    Check(rc, SQL_HANDLE_DBC, connection, {});
}

StatementHandle::~StatementHandle() {
    if (m_handle != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
}

SQLRETURN CDatabase::Impl::Execute(SQLHSTMT statement, const std::string& sql) {
    ++roundTrips.statements;
    return SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
}

SQLRETURN CDatabase::Impl::EndTran(SQLSMALLINT completion) {
    ++roundTrips.transactionEnds;
    return SQLEndTran(SQL_HANDLE_DBC, connection, completion);
}

const RowKey& CDatabase::Impl::RowKeyOf(const std::string& table) {
    auto found = rowKeys.find(table);
    if (found == rowKeys.end()) found = rowKeys.emplace(table, dialect->ReadRowKey(table, *this)).first;
    return found->second;
}

std::vector<std::vector<std::string>> CDatabase::Impl::QueryRows(const std::string& sql) {
    StatementHandle statement(connection);
    Check(Execute(statement.get(), sql), SQL_HANDLE_STMT, statement.get(), sql);
    SQLSMALLINT columns = 0;
    Check(SQLNumResultCols(statement.get(), &columns), SQL_HANDLE_STMT, statement.get(), sql);
    std::vector<std::vector<std::string>> rows;
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement.get());
        if (rc == SQL_NO_DATA) break;
        Check(rc, SQL_HANDLE_STMT, statement.get(), sql);
        auto& row = rows.emplace_back();
        for (SQLSMALLINT c = 1; c <= columns; ++c) {
            char buffer[512] = {};
            SQLLEN length = 0;
            Check(SQLGetData(statement.get(), static_cast<SQLUSMALLINT>(c), SQL_C_CHAR, buffer, sizeof buffer, &length),
                  SQL_HANDLE_STMT, statement.get(), sql);
            row.emplace_back(length == SQL_NULL_DATA ? "" : buffer);
        }
    }
    return rows;
}

void CDatabase::Impl::ExecuteDirect(const std::string& sql) {
    StatementHandle statement(connection);
    const SQLRETURN rc = Execute(statement.get(), sql);
    // A searched update or delete that matches no row is not an error.
    if (rc == SQL_NO_DATA) return;
    Check(rc, SQL_HANDLE_STMT, statement.get(), sql);
}

bool CDatabase::Impl::SetAutoCommit(bool on) {
    const auto value = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    const SQLRETURN rc = SQLSetConnectAttr(connection, SQL_ATTR_AUTOCOMMIT,
                                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(value)), SQL_IS_UINTEGER);
    if (!Succeeded(rc)) transactionError = MakeOdbcError(rc, SQL_HANDLE_DBC, connection, {});
    return Succeeded(rc);
}

bool CDatabase::Impl::EndTransaction(SQLSMALLINT completion) {
    const SQLRETURN rc = EndTran(completion);
    if (!Succeeded(rc)) transactionError = MakeOdbcError(rc, SQL_HANDLE_DBC, connection, {});
    // A refused commit would leave its work open for the next commit to store: it is undone.
    if (!Succeeded(rc) && completion == SQL_COMMIT) EndTran(SQL_ROLLBACK);
    const bool restored = SetAutoCommit(true);
    return Succeeded(rc) && restored;
}

bool CDatabase::Impl::RunTransactionStatement(const char* sql) {
    try {
        ExecuteDirect(sql);
        return true;
    } catch (const DbException& error) {
        transactionError = error;
        return false;
    }
}

bool CDatabase::Impl::BeginOwnTransaction(const TransactionSql& own, TransactionKind kind) {
    const char* begin = kind == TransactionKind::Write ? own.beginWrite : own.beginRead;
    if (RunTransactionStatement(begin)) return true;
    // A transaction whose end failed earlier is still open; it was reported as failed, so it is undone.
    if (!dialect->StillInTransaction(transactionError->ErrorText())) return false;
    return RunTransactionStatement(own.rollback) && RunTransactionStatement(begin);
}

bool CDatabase::Impl::CommitOwnTransaction(const TransactionSql& own) {
    if (RunTransactionStatement(own.commit)) return true;
    const DbException failure = *transactionError;
    // A refused commit would leave its work open for the next commit to store: it is undone.
    RollbackOwnTransaction(own);
    transactionError = failure;
    return false;
}

bool CDatabase::Impl::RollbackOwnTransaction(const TransactionSql& own) {
    if (RunTransactionStatement(own.rollback)) return true;
    if (!dialect->AlreadyRolledBack(transactionError->ErrorText())) return false;
    transactionError.reset();
    return true;
}

bool CDatabase::Impl::BeginSwitchedTransaction(TransactionKind kind) {
    const TransactionMark* mark = dialect->TransactionMarker();
    // A transaction the connection failed to end is still open; it was reported as failed, so it is
    // undone rather than carried into this one.
    if (mark != nullptr) EndTran(SQL_ROLLBACK);
    if (!SetAutoCommit(false)) return false;
    if (mark == nullptr) return true;
    if (RunTransactionStatement(kind == TransactionKind::Write ? mark->setForWrite : mark->setForRead)) return true;
    const DbException failure = *transactionError;
    EndTransaction(SQL_ROLLBACK);
    transactionError = failure;
    return false;
}

bool CDatabase::Impl::TransactionKeptItsMark() {
    const TransactionMark* mark = dialect->TransactionMarker();
    if (mark == nullptr) return true;
    try {
        const auto rows = QueryRows(mark->read);
        if (!rows.empty() && !rows.front().empty() && rows.front().front() == mark->expected) return true;
        transactionError = MakeLayerError("the database ended the transaction after a failed statement", mark->read);
    } catch (const DbException& error) {
        transactionError = error;
    }
    return false;
}

bool CDatabase::Impl::CommitSwitchedTransaction() {
    if (TransactionKeptItsMark()) return EndTransaction(SQL_COMMIT);
    // What ran after the failure belongs to a transaction the driver opened by itself: it goes too.
    const DbException failure = *transactionError;
    EndTransaction(SQL_ROLLBACK);
    transactionError = failure;
    return false;
}

CDatabase::CDatabase() : m_impl(std::make_unique<Impl>()) {}

CDatabase::~CDatabase() {
    Close();
}

void CDatabase::OpenEx(const std::string& connect) {
    Close();
    Impl& impl = *m_impl;
    Check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &impl.environment), SQL_HANDLE_ENV, SQL_NULL_HANDLE, {});
    Check(SQLSetEnvAttr(impl.environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV, impl.environment, {});
    Check(SQLAllocHandle(SQL_HANDLE_DBC, impl.environment, &impl.connection), SQL_HANDLE_ENV, impl.environment, {});
    SQLCHAR completed[1024] = {};
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc =
        SQLDriverConnect(impl.connection, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connect.c_str())),
                         SQL_NTS, completed, sizeof completed, &completedLength, SQL_DRIVER_NOPROMPT);
    if (!Succeeded(rc)) {
        DbException error = MakeOdbcError(rc, SQL_HANDLE_DBC, impl.connection, connect);
        Close();
        throw error;
    }
    impl.connected = true;

    SQLCHAR name[256] = {};
    SQLSMALLINT nameLength = 0;
    Check(SQLGetInfo(impl.connection, SQL_DBMS_NAME, name, sizeof name, &nameLength), SQL_HANDLE_DBC, impl.connection,
          {});
    impl.dbmsName = reinterpret_cast<const char*>(name);
    SQLUSMALLINT capable = SQL_TC_NONE;
    Check(SQLGetInfo(impl.connection, SQL_TXN_CAPABLE, &capable, sizeof capable, nullptr), SQL_HANDLE_DBC,
          impl.connection, {});
    impl.canTransact = capable != SQL_TC_NONE;
    SQLUINTEGER getData = 0;
    Check(SQLGetInfo(impl.connection, SQL_GETDATA_EXTENSIONS, &getData, sizeof getData, nullptr), SQL_HANDLE_DBC,
          impl.connection, {});
    constexpr SQLUINTEGER kAnyBoundColumn = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND;
    impl.getsDataOfBoundColumns = (getData & kAnyBoundColumn) == kAnyBoundColumn;
    impl.dialect = MakeDialect(impl.dbmsName);
    // Some options only the driver reads, and only when it connects.
    if (const std::string missing = impl.dialect->MissingConnectOptions(connect); !missing.empty()) {
        const bool separated = connect.empty() || connect.back() == ';';
        OpenEx(connect + (separated ? "" : ";") + missing);
    }
}

void CDatabase::Close() {
    Impl& impl = *m_impl;
    if (impl.connected) SQLDisconnect(impl.connection);
    if (impl.connection != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, impl.connection);
    if (impl.environment != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, impl.environment);
    impl = Impl{};
}

bool CDatabase::IsOpen() const {
    return m_impl->connected;
}

bool CDatabase::BeginTrans(TransactionKind kind) {
    Impl& impl = *m_impl;
    if (!impl.connected) return false;
    impl.transactionError.reset();
    const TransactionSql* own = impl.dialect->OwnTransactions();
    return own != nullptr ? impl.BeginOwnTransaction(*own, kind) : impl.BeginSwitchedTransaction(kind);
}

bool CDatabase::CommitTrans() {
    Impl& impl = *m_impl;
    if (!impl.connected) return false;
    impl.transactionError.reset();
    const TransactionSql* own = impl.dialect->OwnTransactions();
    return own != nullptr ? impl.CommitOwnTransaction(*own) : impl.CommitSwitchedTransaction();
}

bool CDatabase::Rollback() {
    Impl& impl = *m_impl;
    if (!impl.connected) return false;
    impl.transactionError.reset();
    const TransactionSql* own = impl.dialect->OwnTransactions();
    return own != nullptr ? impl.RollbackOwnTransaction(*own) : impl.EndTransaction(SQL_ROLLBACK);
}

const DbException* CDatabase::TransactionError() const {
    return m_impl->transactionError ? &*m_impl->transactionError : nullptr;
}

void CDatabase::ExecuteSQL(const std::string& sql) {
    if (!m_impl->connected) throw MakeLayerError("the database is not open", sql);
    m_impl->ExecuteDirect(Translate(sql));
}

void CDatabase::ExecuteSQLWithBytes(const std::string& sql, const std::vector<unsigned char>& bytes) {
    if (!m_impl->connected) throw MakeLayerError("the database is not open", sql);
    const std::string translated = Translate(sql);
    StatementHandle statement(m_impl->connection);
    SQLLEN length = static_cast<SQLLEN>(bytes.size());
    // No bytes are still a value, not a null: psqlODBC refuses a null buffer even of length 0.
    static unsigned char noBytes = 0;
    unsigned char* buffer = bytes.empty() ? &noBytes : const_cast<unsigned char*>(bytes.data());
    Check(SQLBindParameter(statement.get(), 1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                           std::max<SQLULEN>(bytes.size(), 1), 0, buffer, length, &length),
          SQL_HANDLE_STMT, statement.get(), sql);
    Check(m_impl->Execute(statement.get(), translated), SQL_HANDLE_STMT, statement.get(), sql);
}

bool CDatabase::CanTransact() const {
    return m_impl->canTransact;
}

const RoundTrips& CDatabase::GetRoundTrips() const {
    return m_impl->roundTrips;
}

const std::string& CDatabase::GetDbmsName() const {
    return m_impl->dbmsName;
}

const char* CDatabase::RowLocator() const {
    return m_impl->dialect ? m_impl->dialect->RowLocator() : nullptr;
}

std::string CDatabase::Translate(const std::string& sql) {
    return m_impl->dialect ? m_impl->dialect->Rewrite(sql, *m_impl) : sql;
}

}  // namespace keltrov::db
