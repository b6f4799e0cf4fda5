#include "bench/dialog/plain_odbc.hpp"

#include "platform/db/database_impl.hpp"

void ExecutePlain(keltrov::db::CDatabase& db, const std::vector<std::string>& translated) {
    db.BeginTrans();
    for (const std::string& sql : translated) {
        keltrov::db::StatementHandle statement(db.GetImpl().connection);
        SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    }
    db.CommitTrans();
}
