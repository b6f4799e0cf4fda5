#pragma once
// The host's tables, as a new database gets them, and the demo's rows.
#include "platform/db/database.hpp"
#include "platform/util/datetime.hpp"

#include <string>
#include <vector>

namespace keltrov::host {

inline constexpr const char* kDemoBankId = "10000001";

// The host's column types as the connected database spells them.
struct ColumnTypes {
    const char* textCollation;  // after varchar(n): codes and keys compare byte by byte
    const char* dateTime;
    const char* decimal;  // the wage amounts
    const char* binary;
    const char* selfFilledColumn;  // the whole definition of the wage table's own row number
    std::string Text(int size) const;
};

const ColumnTypes& ColumnTypesOf(const db::CDatabase& db);

void CreateHostTables(db::CDatabase& db);
// Fills the tables with one bank, its catalogue, a person form, an organisation and two months of
// wages: the month of `today` and the month before it.
void LoadDemoData(db::CDatabase& db, const DateTime& today);
// Stores a workbook image as the wage template, replacing an earlier one.
void StoreWageTemplate(db::CDatabase& db, const std::vector<unsigned char>& image);

}  // namespace keltrov::host
