#pragma once
// The statements that write a month's wage rows, put together from the statement catalogue.
#include <string>
#include <vector>

#include "data/statements.hpp"

using WageRowValues = keltrov::sql::WageRowValues;

// Replaces the month with a row for every person of the bank, the amounts carried over from the
// bank's latest earlier month: the delete, then the generation.
std::vector<std::string> GenerateMonthStatements(const std::string& monthKey, const std::string& bankId);

// Stores the sheet's rows under the month: the persons' rows of the month deleted, then inserted
// from the values, many rows to a statement so that a month costs a few round trips. Of two rows
// with one code the lower one is stored, as a delete and an insert row after row would leave it.
std::vector<std::string> SaveWageRowsStatements(const std::string& monthKey, const std::vector<WageRowValues>& rows);
