#pragma once
// The query console: one query or statement on the open database.
#include "platform/db/database.hpp"

#include <ostream>
#include <string>

namespace keltrov::host {

// Prints the bound column names, then one line per row of each column's text, tab-separated.
void PrintQuery(db::CDatabase& db, const std::string& sql, std::ostream& out);

}  // namespace keltrov::host
