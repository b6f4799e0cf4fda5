#include "data/statements.hpp"

#include "platform/util/decimal_text.hpp"
#include "platform/util/sql_format.hpp"

namespace keltrov::sql {

namespace {

constexpr const char* kOneSegment = "___";
// One segment or more: a wage row keeps the code of a person long deleted or moved away.
constexpr const char* kOneSegmentOrMore = "___%";

}  // namespace

std::string TreeNodes(const std::string& orgReport, const std::string& orgKey, const std::string& personReport,
                      const std::string& personKey) {
    return FormatSql(
        "select * from (select field_1,field_2 from usertab%s where relationid='%s' union all select "
        "field_1,field_2 from usertab%s where relationid='%s') as t1 order by field_1 ",
        orgReport, orgKey, personReport, personKey);
}

std::string PersonRecord(const std::string& personReport, const std::string& code, const std::string& bankId) {
    return FormatSql("select * from usertab%s where field_1='%s' and relationid='%s'", personReport, code, bankId);
}

std::string PersonsUnder(const std::string& code) {
    return FormatSql("select * from usertabb811 where field_1 LIKE '%s%%' escape '!' ", EscapeLikeText(code));
}

std::string CountPersonsUnder(const std::string& code) {
    return FormatSql("select count(*) from usertabb811 where field_1 LIKE '%s%%' escape '!' ", EscapeLikeText(code));
}

std::string CountOrganisationUnder(const std::string& code) {
    return FormatSql("select count(*) from usertabb810 where field_1 LIKE '%s%%' escape '!' ", EscapeLikeText(code));
}

std::string DeletePersonsUnder(const std::string& code) {
    return FormatSql("delete from usertabb811 where field_1 like '%s%%' escape '!'", EscapeLikeText(code));
}

std::string PersonLocatorsUnder(const std::string& locator, const std::string& code) {
    return FormatSql("select %s from usertabb811 where field_1 LIKE '%s%%' escape '!' ", locator, EscapeLikeText(code));
}

std::string RecodePersons(const std::string& locator, const std::vector<std::pair<std::string, std::string>>& codes) {
    std::string cases;
    std::string list;
    for (const auto& [row, code] : codes) {
        cases += FormatSql(" when '%s' then '%s'", row, code);
        list += FormatSql(list.empty() ? "'%s'" : ",'%s'", row);
    }
    return FormatSql("update usertabb811 set field_1=case %s%s end where %s in (%s)", locator, cases, locator, list);
}

std::string DeleteOrganisationUnder(const std::string& code) {
    return FormatSql("delete from usertabb810 where field_1 like '%s%%' escape '!'", EscapeLikeText(code));
}

std::string HighestCompany() {
    return "select * from usertabb810 order by field_1 desc";
}

std::string HighestDepartmentUnder(const std::string& orgReport, const std::string& orgKey,
                                   const std::string& parentCode) {
    return FormatSql(
        "select * from usertab%s where relationid='%s' and  field_1 LIKE '%s%s' escape '!' order by field_1 desc",
        orgReport, orgKey, EscapeLikeText(parentCode), kOneSegment);
}

std::string HighestPersonUnder(const std::string& personTable, const std::string& parentCode) {
    return FormatSql("select * from %s where field_1 LIKE '%s%s' escape '!' order by field_1 desc", personTable,
                     EscapeLikeText(parentCode), kOneSegment);
}

std::string HighestWageCodeUnder(const std::string& parentCode) {
    return FormatSql("select top 1 field_1 from usertabb812 where field_1 LIKE '%s%s' escape '!' order by field_1 desc",
                     EscapeLikeText(parentCode), kOneSegmentOrMore);
}

std::string CountCodesInUse(const std::string& orgReport, const std::string& personTable, const std::string& code) {
    return FormatSql(
        "select count(*) from (select field_1 from usertab%s union all select field_1 from %s union all select field_1 "
        "from usertabb812) codes where field_1 LIKE '%s%%' escape '!'",
        orgReport, personTable, EscapeLikeText(code));
}

std::string InsertCompany(const std::string& bankId, const std::string& code, const std::string& name) {
    return FormatSql("insert into usertabb810 values('%s',getdate(),'%s','%s')", bankId, code, name);
}

std::string InsertDepartment(const std::string& orgReport, const std::string& orgKey, const std::string& code,
                             const std::string& name) {
    return FormatSql("insert into usertab%s values('%s',getdate(),'%s','%s')", orgReport, orgKey, code, name);
}

std::string CountFormDefinition(const std::string& definitionKey, const std::string& formReport) {
    return FormatSql("select count(*) from usertabb200 where relationid='%s' and field_8='%s' ", definitionKey,
                     formReport);
}

std::string FormDefinitionRows(const std::string& definitionKey, const std::string& formReport) {
    return FormatSql(
        "select field_1,field_2,field_3,field_4,field_5,field_6,field_10,field_7,field_11,field_12,field_13,"
        "field_14,field_15,field_16,field_17,field_18,field_19,field_20  from usertabb200 where relationid='%s' "
        "and field_8='%s' order by field_9",
        definitionKey, formReport);
}

std::string DeletePerson(const std::string& bankId, const std::string& code) {
    return FormatSql("delete from usertabb811 where relationid='%s' and field_1='%s'", bankId, code);
}

std::string InsertRecord(const std::string& table, const std::string& columns, const std::string& key,
                         const std::string& inputDate, const std::string& moreValues) {
    return FormatSql("insert into %s(%s) values('%s','%s'", table, columns, key, inputDate) + moreValues + ")";
}

std::string NumberSequence(const std::string& bankId, const std::string& reportId, const std::string& columnName) {
    return FormatSql("select * from usertabb054 where relationid = '%s' and field_1 = '%s' and field_2='%s'", bankId,
                     reportId, columnName);
}

std::string PickList(const std::string& bankId, const std::string& reportId, const std::string& columnName) {
    return FormatSql("select * from usertabb001 where relationid='%s' and field_1 = '%s'  and  field_2 ='%s' ", bankId,
                     reportId, columnName);
}

std::string InsertPickListItem(const std::string& bankId, const std::string& inputDate, const std::string& reportId,
                               const std::string& columnName, int order, const std::string& item) {
    return FormatSql("insert into usertabb001  values('%s','%s','%s','%s',%d,'%s','','','')", bankId, inputDate,
                     reportId, columnName, order, item);
}

std::string MarkPickListColumn(const std::string& reportId, const std::string& columnName) {
    return FormatSql("update usertabb200 set field_6='C' where field_8='%s' and field_2='%s' ", reportId, columnName);
}

std::string ReportType(const std::string& reportId) {
    return FormatSql("select * from reports where reportid='%s'", reportId);
}

std::string BankName(const std::string& bankId) {
    return FormatSql("select * from Organize  where bankid='%s'", bankId);
}

std::string WageTemplate() {
    return "select top 1 * from privatevba where reportid = 'B812'  ";
}

std::string MonthWages(const std::string& monthKey, const std::string& nodeCode) {
    return FormatSql("select * from usertabb812 where relationid='%s' and field_1 like '%s%%' escape '!'", monthKey,
                     EscapeLikeText(nodeCode));
}

std::string DeleteMonth(const std::string& monthKey) {
    return FormatSql("delete from usertabb812 where relationid='%s'", monthKey);
}

std::string GenerateMonth(const std::string& monthKey, const std::string& bankId) {
    // Persons of the bank only, and the earlier month among the bank's own keys: the bank condition
    // filters the person table, and the earlier key is looked for under the bank's prefix.
    return FormatSql(
        "insert into usertabb812 select relationid='%s',inputdate=getdate(),a1.field_1,a1.field_2 ,a1.field_5 as "
        "field_3,a1.field_7 as field_4,a2.field_5,a2.field_6,a2.field_7,a2.field_8,a2.field_9 "
        ",a2.field_10,a2.field_11,a2.field_12,a2.field_13,a2.field_14,a2.field_15,a2.field_16,a2.field_17,a2.field_18,"
        "a2.field_19,a2.field_20,a2.field_21,a2.field_22,a2.field_23,a2.field_24,a2.field_25,a2.field_26 from "
        "\tusertabb811 as a1 left outer join   usertabb812  a2 on  a1.field_1=a2.field_1 and a2.relationid=(select "
        "top 1 relationid from usertabb812 where relationid < '%s' and relationid like '%s%%' escape '!' group by "
        "relationid order by relationid desc) where a1.relationid='%s' ",
        monthKey, monthKey, EscapeLikeText(bankId), bankId);
}

std::string DeleteWageRows(const std::string& monthKey, const std::vector<std::string>& codes) {
    std::string list;
    for (const std::string& code : codes) list += (list.empty() ? "" : ",") + FormatSql("'%s'", code);
    return FormatSql("delete from usertabb812 where relationid='%s' and field_1 in (%s)", monthKey, list);
}

namespace {

std::string WageRowValuesText(const std::string& monthKey, const WageRowValues& row) {
    const auto& [code, name, department, number] = row.texts;
    std::string values = FormatSql("('%s',getdate(),'%s','%s','%s','%s'", monthKey, code, name, department, number);
    // Rounded as the sheet shows them, with every digit of the whole part.
    for (double amount : row.amounts) values += "," + FixedDecimalText(amount, 2);
    return values + ")";
}

}  // namespace

std::string InsertWageRows(const std::string& monthKey, std::span<const WageRowValues* const> rows) {
    std::string values;
    for (const WageRowValues* row : rows) values += (values.empty() ? "" : ",") + WageRowValuesText(monthKey, *row);
    return FormatSql("insert into usertabb812 values %s", values);
}

std::string InsertWageRow(const std::string& monthKey, const WageRowValues& row) {
    const WageRowValues* one[] = {&row};
    return InsertWageRows(monthKey, one);
}

namespace {

WageRowValues SampleWageRow(const std::string& code, const std::string& name) {
    WageRowValues row{{code, name, "财务部", "0001"}, {}};
    for (size_t k = 0; k < row.amounts.size(); ++k) row.amounts[k] = 100.5 * static_cast<double>(k);
    return row;
}

}  // namespace

std::vector<SampleStatement> SampleStatements() {
    const std::string bank = kSampleBank;
    const std::string month = kSampleMonthKey;
    const WageRowValues zhang = SampleWageRow("100001001", "张伟");
    const WageRowValues quoted = SampleWageRow("100001009", "O'Neil");
    const WageRowValues* wageRows[] = {&zhang, &quoted};
    // The organisation and person reports are keyed by the bank alone.
    return {
        {"TreeNodes", TreeNodes("B810", bank, "B811", bank)},
        {"PersonRecord", PersonRecord("B811", "100001001", bank)},
        {"PersonsUnder", PersonsUnder("100001")},
        {"CountPersonsUnder", CountPersonsUnder("100001")},
        {"CountOrganisationUnder", CountOrganisationUnder("100")},
        {"DeletePersonsUnder", DeletePersonsUnder("100002")},
        {"DeleteOrganisationUnder", DeleteOrganisationUnder("100002")},
        // A person's code stands in for the row locator, which differs from database to database.
        {"PersonLocatorsUnder", PersonLocatorsUnder("field_1", "100001")},
        {"RecodePersons", RecodePersons("field_1", {{"100001001", "100002901"}, {"100001002", "100002902"}})},
        {"HighestCompany", HighestCompany()},
        {"HighestDepartmentUnder", HighestDepartmentUnder("B810", bank, "100")},
        {"HighestPersonUnder", HighestPersonUnder("usertabb811", "100001")},
        {"HighestWageCodeUnder", HighestWageCodeUnder("100")},
        {"CountCodesInUse", CountCodesInUse("B810", "usertabb811", "100001")},
        {"InsertCompany", InsertCompany(bank, "102", "新公司")},
        {"InsertDepartment", InsertDepartment("B810", bank, "101002", "新部门")},
        {"CountFormDefinition", CountFormDefinition(bank, "B811")},
        {"FormDefinitionRows", FormDefinitionRows(bank, "B811")},
        {"DeletePerson", DeletePerson(bank, "100001002")},
        {"InsertRecord", InsertRecord("usertabb811", "relationid,inputdate,field_1,field_2,field_5", bank,
                                      "2026-11-15 09:30", ",'100001003','O''Neil','财务部'")},
        {"NumberSequence", NumberSequence(bank, "B811", "field_7")},
        {"PickList", PickList(bank, "B811", "field_6")},
        {"InsertPickListItem", InsertPickListItem(bank, "2026-11-15 09:30", "B811", "field_6", 0, "顾问")},
        {"MarkPickListColumn", MarkPickListColumn("B811", "field_6")},
        {"ReportType", ReportType("B812")},
        {"BankName", BankName(bank)},
        {"WageTemplate", WageTemplate()},
        {"MonthWages", MonthWages(month, "100")},
        {"DeleteMonth", DeleteMonth(month)},
        {"GenerateMonth", GenerateMonth(month, bank)},
        {"DeleteWageRows", DeleteWageRows(month, {"100001001", "100001002"})},
        {"InsertWageRows", InsertWageRows(month, wageRows)},
        {"InsertWageRow", InsertWageRow(month, quoted)},
    };
}

}  // namespace keltrov::sql
