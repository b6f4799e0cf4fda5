#pragma once
// Private to the database layer: the driver manager's headers and handle helpers.
#include "platform/db/db_exception.hpp"

#include <sql.h>
#include <sqlext.h>

#include <string>

namespace keltrov::db {

inline bool Succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// Collects every diagnostic record of the handle into one exception.
DbException MakeOdbcError(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const std::string& statement);
// Raised by the layer itself, with the driver's general-error state.
DbException MakeLayerError(const std::string& text, const std::string& statement);

inline void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const std::string& statement) {
    if (!Succeeded(rc)) throw MakeOdbcError(rc, handleType, handle, statement);
}

}  // namespace keltrov::db
