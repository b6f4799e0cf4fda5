#pragma once
// The baseline of the write benchmarks, kept apart from the toolkit's headers, which switch the
// ODBC calls to their wide-character forms.
#include <string>
#include <vector>

#include "platform/db/database.hpp"

// Runs the texts, already in the database's dialect, with plain SQLExecDirect in one transaction.
void ExecutePlain(keltrov::db::CDatabase& db, const std::vector<std::string>& translated);
