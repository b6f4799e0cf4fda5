#include "wages/wage_statements.hpp"

#include <algorithm>
#include <span>
#include <string_view>
#include <unordered_set>

namespace {

// Rows per statement: a few round trips for a month, statements of some 70 KB.
constexpr size_t kRowsPerStatement = 200;

// Each code once, at the place of its last row: the row a delete and insert per row would keep.
std::vector<const WageRowValues*> LastRowOfEachCode(const std::vector<WageRowValues>& rows) {
    std::unordered_set<std::string_view> seen;
    std::vector<const WageRowValues*> kept;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (seen.insert(row->texts[0]).second) kept.push_back(&*row);
    std::reverse(kept.begin(), kept.end());
    return kept;
}

// The delete and the insert of one group of rows.
void AppendGroupStatements(const std::string& monthKey, std::span<const WageRowValues* const> group,
                           std::vector<std::string>& statements) {
    std::vector<std::string> codes;
    codes.reserve(group.size());
    for (const WageRowValues* row : group) codes.push_back(row->texts[0]);
    statements.push_back(keltrov::sql::DeleteWageRows(monthKey, codes));
    statements.push_back(keltrov::sql::InsertWageRows(monthKey, group));
}

}  // namespace

std::vector<std::string> GenerateMonthStatements(const std::string& monthKey, const std::string& bankId) {
    return {keltrov::sql::DeleteMonth(monthKey), keltrov::sql::GenerateMonth(monthKey, bankId)};
}

std::vector<std::string> SaveWageRowsStatements(const std::string& monthKey, const std::vector<WageRowValues>& rows) {
    const std::vector<const WageRowValues*> kept = LastRowOfEachCode(rows);
    std::vector<std::string> statements;
    for (size_t first = 0; first < kept.size(); first += kRowsPerStatement) {
        const size_t count = std::min(kRowsPerStatement, kept.size() - first);
        AppendGroupStatements(monthKey, std::span(kept).subspan(first, count), statements);
    }
    return statements;
}
