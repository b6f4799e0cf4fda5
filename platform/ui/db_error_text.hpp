#pragma once
// What a user is told about a database error: the driver's own text, except where the system can
// say it better in the user's language.
#include <string>

#include "platform/db/db_exception.hpp"

namespace keltrov {

std::string DbErrorTextForUser(const db::DbException& error);

}  // namespace keltrov
