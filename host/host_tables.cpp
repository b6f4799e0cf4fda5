#include "host/host_tables.hpp"

#include "data/statements.hpp"
#include "platform/util/sql_format.hpp"

#include <algorithm>
#include <array>
#include <numeric>

namespace keltrov::host {

namespace {

std::string FieldColumns(int first, int last, const std::string& type) {
    std::string columns;
    for (int i = first; i <= last; ++i) columns += ", field_" + std::to_string(i) + " " + type;
    return columns;
}

std::string FormDefinitionColumns(const ColumnTypes& types) {
    std::string columns;
    for (int i = 1; i <= 20; ++i) {
        const bool whole = i == 3 || i == 5 || i == 9 || i == 10 || i == 12 || i == 13;
        columns += ", field_" + std::to_string(i) + " " + (whole ? std::string("int") : types.Text(255));
    }
    return columns;
}

std::vector<std::string> TableStatements(const ColumnTypes& t) {
    const std::string key = "relationid " + t.Text(30);
    const std::string input = key + ", inputdate " + t.dateTime;
    return {
        "create table Organize (bankid " + t.Text(8) + ", bankname " + t.Text(60) + ")",
        "create table reports (reportid " + t.Text(10) + ", reporttype int)",
        "create table privatevba (reportid " + t.Text(10) + ", vbacode " + t.binary + ")",
        "create table usertabb001 (" + input + ", field_1 " + t.Text(30) + ", field_2 " + t.Text(30) +
            ", field_3 int, field_4 " + t.Text(255) + FieldColumns(5, 7, t.Text(60)) + ")",
        "create table usertabb810 (" + input + FieldColumns(1, 2, t.Text(60)) + ")",
        "create table usertabb811 (" + input + FieldColumns(1, 2, t.Text(60)) + FieldColumns(3, 20, t.Text(255)) + ")",
        "create table usertabb200 (" + key + FormDefinitionColumns(t) + ")",
        "create table usertabb054 (" + key + FieldColumns(1, 2, t.Text(30)) + ", field_3 int)",
        // The wage table fills one column by itself; it stands before field_1.
        "create table usertabb812 (" + input + ", " + t.selfFilledColumn + FieldColumns(1, 4, t.Text(60)) +
            FieldColumns(5, 26, t.decimal) + ")",
        // A month's rows are read, deleted and stored by month and person code.
        "create index usertabb812_month on usertabb812 (relationid, field_1)",
    };
}

constexpr ColumnTypes kSqliteTypes{"", "datetime", "decimal(12,2)", "blob", "autoid integer primary key autoincrement"};
constexpr ColumnTypes kPostgresTypes{" collate \"C\"", "timestamp", "numeric(12,2)", "bytea",
                                     "autoid integer generated always as identity primary key"};
constexpr ColumnTypes kSqlServerTypes{"", "datetime", "decimal(12,2)", "varbinary(max)",
                                      "autoid int identity primary key"};

struct DemoNode {
    const char* code;
    const char* name;
};

constexpr std::array<DemoNode, 5> kOrganisation{{
    {"100", "总公司"},
    {"100001", "财务部"},
    {"100002", "人事部"},
    {"101", "分公司"},
    {"101001", "营业部"},
}};

struct DemoPerson {
    const char* code;
    const char* name;
    const char* sex;
    const char* idNumber;
    const char* department;
    const char* position;
    const char* internalNumber;
    double basePay;
};

constexpr std::array<DemoPerson, 6> kPersons{{
    {"100001001", "张伟", "男", "110101198001011234", "财务部", "会计", "0001", 5200},
    {"100001002", "王芳", "女", "110101198502024321", "财务部", "出纳", "0002", 4800},
    {"100002001", "李娜", "女", "110101199003035678", "人事部", "主管", "0003", 6100},
    {"100002002", "刘洋", "男", "110101198806068765", "人事部", "专员", "0004", 4500},
    {"101001001", "陈静", "女", "310101199207071111", "营业部", "经理", "0005", 7300},
    {"101001002", "杨磊", "男", "310101199409092222", "营业部", "柜员", "0006", 4200},
}};

struct DemoFormColumn {
    const char* column;
    const char* type;
    const char* listSource;
};

constexpr std::array<DemoFormColumn, 7> kFormColumns{{
    {"field_1", "C", ""},
    {"field_2", "C", ""},
    {"field_3", "C", ""},
    {"field_4", "C", ""},
    {"field_5", "C", ""},
    {"field_6", "C", "会计,出纳,主管,专员,经理,柜员"},
    {"field_7", "C", ""},
}};

void InsertCatalogue(db::CDatabase& db) {
    db.ExecuteSQL(FormatSql("insert into Organize values('%s','%s')", kDemoBankId, "示范银行"));
    const std::array<std::pair<const char*, int>, 4> reports{{{"B810", 6}, {"B811", 6}, {"B200", 6}, {"B812", 0}}};
    for (const auto& [id, type] : reports) db.ExecuteSQL(FormatSql("insert into reports values('%s',%d)", id, type));
}

void InsertFormDefinition(db::CDatabase& db) {
    int order = 1;
    for (const DemoFormColumn& column : kFormColumns) {
        db.ExecuteSQL(
            FormatSql("insert into usertabb200 (relationid, field_1, field_2, field_4, field_6, field_7, "
                      "field_8, field_9, field_11, field_14) values('%s','%s','%s','%s','','%s','B811',%d,'','')",
                      kDemoBankId, column.column, column.column, column.type, column.listSource, order));
        ++order;
    }
}

// A person's values after the key and the input date, as the form's save writes them.
std::string PersonValues(const DemoPerson& p) {
    std::string values;
    for (const char* text : {p.code, p.name, p.sex, p.idNumber, p.department, p.position, p.internalNumber})
        values += ",'" + QuoteSqlValue(text) + "'";
    return values;
}

void InsertOrganisation(db::CDatabase& db, const DateTime& today) {
    // The organisation's report is keyed by the bank alone, as the company insert keys every node.
    for (const DemoNode& node : kOrganisation) db.ExecuteSQL(sql::InsertCompany(kDemoBankId, node.code, node.name));
    const std::string inputDate = today.Format("%Y-%m-%d %H:%M");
    for (const DemoPerson& p : kPersons) {
        db.ExecuteSQL(sql::InsertRecord("usertabb811",
                                        "relationid,inputdate,field_1,field_2,field_3,field_4,field_5,field_6,field_7",
                                        kDemoBankId, inputDate, PersonValues(p)));
    }
}

// One wage row's amounts in the demo template's columns 5 to 26: nine pay items and their total
// (应发合计), ten deductions and their total (扣款合计), and the net pay (实发工资). The totals are
// stored as the template's formulas compute them, so a month saved unchanged stays as it was.
std::array<double, kAmountColumns> WageAmounts(const DemoPerson& person, int monthIndex) {
    const double base = person.basePay;
    const std::array<double, 9> pay{base, 800, 300, 500.0 + 100 * monthIndex, 120, 0, 0, 0, 0};
    const std::array<double, 10> deductions{base * 0.08, base * 0.02, base * 0.005, base * 0.07, 35.5, 0, 0, 0, 0, 0};
    const double gross = std::accumulate(pay.begin(), pay.end(), 0.0);
    const double deducted = std::accumulate(deductions.begin(), deductions.end(), 0.0);
    std::array<double, kAmountColumns> amounts{};
    auto next = std::copy(pay.begin(), pay.end(), amounts.begin());
    *next++ = gross;
    next = std::copy(deductions.begin(), deductions.end(), next);
    *next++ = deducted;
    *next = gross - deducted;
    return amounts;
}

void InsertWages(db::CDatabase& db, const DateTime& month, int monthIndex) {
    const DateTime monthEnd(month.GetYear(), month.GetMonth(), DaysInMonth(month.GetYear(), month.GetMonth()));
    const std::string key = std::string(kDemoBankId) + monthEnd.Format("%Y-%m-%d");
    for (const DemoPerson& p : kPersons) {
        const sql::WageRowValues row{{p.code, p.name, p.department, p.internalNumber}, WageAmounts(p, monthIndex)};
        db.ExecuteSQL(sql::InsertWageRow(key, row));
    }
}

DateTime MonthBefore(const DateTime& date) {
    return date.GetMonth() == 1 ? DateTime(date.GetYear() - 1, 12, 1)
                                : DateTime(date.GetYear(), date.GetMonth() - 1, 1);
}

}  // namespace

std::string ColumnTypes::Text(int size) const {
    return "varchar(" + std::to_string(size) + ")" + textCollation;
}

const ColumnTypes& ColumnTypesOf(const db::CDatabase& db) {
    const std::string& name = db.GetDbmsName();
    if (name.find("SQLite") != std::string::npos) return kSqliteTypes;
    if (name.find("PostgreSQL") != std::string::npos) return kPostgresTypes;
    return kSqlServerTypes;
}

void CreateHostTables(db::CDatabase& db) {
    for (const std::string& statement : TableStatements(ColumnTypesOf(db))) db.ExecuteSQL(statement);
}

void LoadDemoData(db::CDatabase& db, const DateTime& today) {
    InsertCatalogue(db);
    InsertFormDefinition(db);
    InsertOrganisation(db, today);
    InsertWages(db, MonthBefore(today), 0);
    InsertWages(db, DateTime(today.GetYear(), today.GetMonth(), 1), 1);
}

void StoreWageTemplate(db::CDatabase& db, const std::vector<unsigned char>& image) {
    db.ExecuteSQL("delete from privatevba where reportid='B812'");
    // The image is binary: it goes in as a parameter, not as text inside the statement.
    db.ExecuteSQLWithBytes("insert into privatevba (reportid, vbacode) values ('B812', ?)", image);
}

}  // namespace keltrov::host
