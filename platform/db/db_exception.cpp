#include "platform/db/db_exception.hpp"

#include "platform/db/odbc_internal.hpp"

namespace keltrov::db {

DbException::DbException(short returnCode, std::string sqlState, long nativeError, std::string errorText,
                         std::string statement)
    : std::runtime_error(errorText),
      m_returnCode(returnCode),
      m_sqlState(std::move(sqlState)),
      m_nativeError(nativeError),
      m_errorText(std::move(errorText)),
      m_statement(std::move(statement)) {}

bool DbException::IsBusy() const {
    // Lock wait ended, deadlock victim, serialisation failure, driver timeout; SQLite says it in words.
    static constexpr const char* kBusyStates[] = {"55P03", "40P01", "40001", "HYT00"};
    for (const char* state : kBusyStates) {
        if (m_sqlState == state) return true;
    }
    return m_errorText.find("database is locked") != std::string::npos ||
           m_errorText.find("database table is locked") != std::string::npos;
}

DbException MakeOdbcError(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const std::string& statement) {
    std::string firstState;
    SQLINTEGER firstNative = 0;
    std::string text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[SQL_MAX_MESSAGE_LENGTH] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN diag =
            SQLGetDiagRec(handleType, handle, record, state, &native, message, sizeof message, &length);
        if (!Succeeded(diag)) break;
        if (record == 1) {
            firstState = reinterpret_cast<const char*>(state);
            firstNative = native;
        }
        if (!text.empty()) text += '\n';
        text += reinterpret_cast<const char*>(message);
    }
    if (text.empty()) text = rc == SQL_INVALID_HANDLE ? "invalid ODBC handle" : "ODBC call failed without diagnostics";
    return DbException(rc, firstState, firstNative, text, statement);
}

DbException MakeLayerError(const std::string& text, const std::string& statement) {
    return DbException(SQL_ERROR, "HY000", 0, text, statement);
}

}  // namespace keltrov::db
