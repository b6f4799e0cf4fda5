#include "bench/plain_odbc.hpp"

#include "platform/db/database_impl.hpp"

#include <array>

void ExecutePlain(keltrov::db::CDatabase& db, const std::vector<std::string>& translated) {
    db.BeginTrans();
    for (const std::string& sql : translated) {
        keltrov::db::StatementHandle statement(db.GetImpl().connection);
        SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    }
    db.CommitTrans();
}

size_t ReadPlain(keltrov::db::CDatabase& db, const std::string& translated) {
    constexpr SQLLEN kRoom = 256;
    keltrov::db::StatementHandle statement(db.GetImpl().connection);
    SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(translated.c_str())), SQL_NTS);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(statement.get(), &columns);
    std::vector<std::array<char, kRoom>> buffers(static_cast<size_t>(columns));
    std::vector<SQLLEN> lengths(static_cast<size_t>(columns));
    for (SQLUSMALLINT c = 0; c < static_cast<SQLUSMALLINT>(columns); ++c)
        SQLBindCol(statement.get(), c + 1, SQL_C_CHAR, buffers[c].data(), kRoom, &lengths[c]);
    size_t bytes = 0;
    while (SQL_SUCCEEDED(SQLFetch(statement.get())))
        for (SQLLEN length : lengths) bytes += length > 0 ? static_cast<size_t>(length) : 0;
    return bytes;
}
