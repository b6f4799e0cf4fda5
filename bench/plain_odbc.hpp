#pragma once
// The plain ODBC loops the benchmarks compare with, kept apart from the toolkit's headers, which
// switch the ODBC calls to their wide-character forms.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/db/database.hpp"

// Runs the texts, already in the database's dialect, with plain SQLExecDirect in one transaction.
void ExecutePlain(keltrov::db::CDatabase& db, const std::vector<std::string>& translated);

// Runs one query, already in the database's dialect, reading every column of every row as text into
// buffers bound once; gives the bytes read. A value longer than its buffer is cut, as such loops do.
size_t ReadPlain(keltrov::db::CDatabase& db, const std::string& translated);
