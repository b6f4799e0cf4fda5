#include "wages/wage_statements.hpp"

#include <algorithm>
#include <span>
#include <string_view>
#include <unordered_set>

#include "platform/util/decimal_text.hpp"
#include "platform/util/sql_format.hpp"

namespace {

constexpr const char* kDeleteMonth = "delete from usertabb812 where relationid='%s'";
// Persons of the bank only, and the earlier month among the bank's own keys: the bank condition
// filters the person table, and the earlier key is looked for under the bank's prefix.
constexpr const char* kGenerateMonth =
    "insert into usertabb812 select relationid='%s',inputdate=getdate(),a1.field_1,a1.field_2 ,a1.field_5 as "
    "field_3,a1.field_7 as field_4,a2.field_5,a2.field_6,a2.field_7,a2.field_8,a2.field_9 "
    ",a2.field_10,a2.field_11,a2.field_12,a2.field_13,a2.field_14,a2.field_15,a2.field_16,a2.field_17,a2.field_18,"
    "a2.field_19,a2.field_20,a2.field_21,a2.field_22,a2.field_23,a2.field_24,a2.field_25,a2.field_26 from "
    "\tusertabb811 as a1 left outer join   usertabb812  a2 on  a1.field_1=a2.field_1 and a2.relationid=(select "
    "top 1 relationid from usertabb812 where relationid < '%s' and relationid like '%s%%' escape '!' group by "
    "relationid order by relationid desc) where a1.relationid='%s' ";
constexpr const char* kDeleteWageRows = "delete from usertabb812 where relationid='%s' and field_1 in (%s)";
constexpr const char* kInsertWageRows = "insert into usertabb812 values %s";
constexpr const char* kWageRowValues = "('%s',getdate(),'%s','%s','%s','%s'";
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

std::string RowValues(const std::string& monthKey, const WageRowValues& row) {
    const auto& [code, name, department, number] = row.texts;
    std::string values = keltrov::FormatSql(kWageRowValues, monthKey, code, name, department, number);
    // Rounded as the sheet shows them, with every digit of the whole part.
    for (double amount : row.amounts) values += "," + keltrov::FixedDecimalText(amount, 2);
    return values + ")";
}

// The delete and the insert of one group of rows.
void AppendGroupStatements(const std::string& monthKey, std::span<const WageRowValues* const> group,
                           std::vector<std::string>& statements) {
    std::string codes;
    std::string values;
    for (const WageRowValues* row : group) {
        const char* separator = codes.empty() ? "" : ",";
        codes += separator + keltrov::FormatSql("'%s'", row->texts[0]);
        values += separator + RowValues(monthKey, *row);
    }
    statements.push_back(keltrov::FormatSql(kDeleteWageRows, monthKey, codes));
    statements.push_back(keltrov::FormatSql(kInsertWageRows, values));
}

}  // namespace

std::vector<std::string> GenerateMonthStatements(const std::string& monthKey, const std::string& bankId) {
    return {keltrov::FormatSql(kDeleteMonth, monthKey),
            keltrov::FormatSql(kGenerateMonth, monthKey, monthKey, keltrov::EscapeLikeText(bankId), bankId)};
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
