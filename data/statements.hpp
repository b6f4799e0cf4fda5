#pragma once
// Every SQL text the plug-in sends, each built by its one function from typed values: values inside
// the statement's quotes pass through the quoting helper, node codes matched as a prefix through the
// LIKE escaping. The texts are written in the SQL Server dialect; the connection's adapter rewrites them.
#include <array>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "wages/wage_layout.hpp"

namespace keltrov::sql {

// The organisation tree: the organisation's and the persons' rows of their period keys, by code.
std::string TreeNodes(const std::string& orgReport, const std::string& orgKey, const std::string& personReport,
                      const std::string& personKey);
// One person's row of a report table.
std::string PersonRecord(const std::string& personReport, const std::string& code, const std::string& bankId);

// The rows and counts of everything under a node code (the code itself included).
std::string PersonsUnder(const std::string& code);
std::string CountPersonsUnder(const std::string& code);
std::string CountOrganisationUnder(const std::string& code);
std::string DeletePersonsUnder(const std::string& code);
std::string DeleteOrganisationUnder(const std::string& code);
// The row locators (the connection's column that finds one row) of the persons under a node, and
// the persons those locators find given their new codes, as (locator, code) pairs.
std::string PersonLocatorsUnder(const std::string& locator, const std::string& code);
std::string RecodePersons(const std::string& locator, const std::vector<std::pair<std::string, std::string>>& codes);

// The highest codes, highest first: of the companies, of the departments and of the persons one
// segment below a parent, and of the wage rows one segment or more below it.
std::string HighestCompany();
std::string HighestDepartmentUnder(const std::string& orgReport, const std::string& orgKey,
                                   const std::string& parentCode);
std::string HighestPersonUnder(const std::string& personTable, const std::string& parentCode);
std::string HighestWageCodeUnder(const std::string& parentCode);
// How many organisation, person and wage rows have a code starting with `code`.
std::string CountCodesInUse(const std::string& orgReport, const std::string& personTable, const std::string& code);

std::string InsertCompany(const std::string& bankId, const std::string& code, const std::string& name);
std::string InsertDepartment(const std::string& orgReport, const std::string& orgKey, const std::string& code,
                             const std::string& name);

// The form definition of a report: its number of columns, then its columns in form order.
std::string CountFormDefinition(const std::string& definitionKey, const std::string& formReport);
std::string FormDefinitionRows(const std::string& definitionKey, const std::string& formReport);
std::string DeletePerson(const std::string& bankId, const std::string& code);
// A form's row: `columns` names every column, the key and the input date first; `moreValues` holds
// the values after those two, each already written as SQL with its leading comma.
std::string InsertRecord(const std::string& table, const std::string& columns, const std::string& key,
                         const std::string& inputDate, const std::string& moreValues);
// The sequence row an automatic number of a report column is drawn from.
std::string NumberSequence(const std::string& bankId, const std::string& reportId, const std::string& columnName);

std::string PickList(const std::string& bankId, const std::string& reportId, const std::string& columnName);
std::string InsertPickListItem(const std::string& bankId, const std::string& inputDate, const std::string& reportId,
                               const std::string& columnName, int order, const std::string& item);
// Marks a form column as one whose combo box has a pick list.
std::string MarkPickListColumn(const std::string& reportId, const std::string& columnName);

std::string ReportType(const std::string& reportId);
std::string BankName(const std::string& bankId);
std::string WageTemplate();

// A month's wage rows of every person under a node.
std::string MonthWages(const std::string& monthKey, const std::string& nodeCode);
std::string DeleteMonth(const std::string& monthKey);
// A row for every person of the bank, the amounts carried over from the bank's latest earlier month.
std::string GenerateMonth(const std::string& monthKey, const std::string& bankId);
struct WageRowValues {
    std::array<std::string, kTextColumns> texts;  // code, name, department, internal number
    std::array<double, kAmountColumns> amounts;
};

// The month's rows of the persons with these codes.
std::string DeleteWageRows(const std::string& monthKey, const std::vector<std::string>& codes);
// The month's rows of these values, all in one statement.
std::string InsertWageRows(const std::string& monthKey, std::span<const WageRowValues* const> rows);
std::string InsertWageRow(const std::string& monthKey, const WageRowValues& row);

// The demo bank's values every sample statement is built from: its month of November 2026 and the
// codes of its organisation.
inline constexpr const char* kSampleBank = "10000001";
inline constexpr const char* kSampleMonthKey = "100000012026-11-30";

struct SampleStatement {
    std::string name;
    std::string sql;
};

// One built instance of every statement above, so that whatever checks statements covers them all.
std::vector<SampleStatement> SampleStatements();

}  // namespace keltrov::sql
