#pragma once
// The statements that write a month's wage rows, each built in this one place.
#include <array>
#include <string>
#include <vector>

#include "wages/wage_layout.hpp"

// Replaces the month with a row for every person of the bank, the amounts carried over from the
// bank's latest earlier month: the delete, then the generation.
std::vector<std::string> GenerateMonthStatements(const std::string& monthKey, const std::string& bankId);

struct WageRowValues {
    std::array<std::string, kTextColumns> texts;  // code, name, department, internal number
    std::array<double, kAmountColumns> amounts;
};

// Stores one sheet row: the person's row of the month deleted, then inserted from the values.
std::vector<std::string> SaveWageRowStatements(const std::string& monthKey, const WageRowValues& row);
