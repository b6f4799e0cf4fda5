// The payroll dialog on a generated organisation of 5 companies and 100 departments: loading the
// tree, selecting a company with all its wage rows, opening the dialog, generating a month and
// saving the sheet, at two sizes (the writes against plain ODBC runs of the same statement texts),
// a range fill of one amount column over 10,000 rows, and moving a department's persons by drag.
#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/grid.h>
#include <wx/init.h>
#include <wx/treectrl.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/plain_odbc.hpp"
#include "bench/round_trips.hpp"
#include "data/statements.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "host/automation/actions.hpp"
#include "host/host_tables.hpp"
#include "host/template_tool.hpp"
#include "platform/db/database_impl.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/menu_ids.hpp"
#include "platform/ui/tree_items.hpp"
#include "platform/util/datetime.hpp"
#include "platform/util/sql_format.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/modal_answers.hpp"
#include "tests/support/test_database.hpp"
#include "wages/wage_statements.hpp"

namespace keltrov {
namespace {

constexpr int kCompanies = 5;
constexpr int kDepartments = 100;
constexpr int kFirstCompany = 100;
constexpr int kFirstAmountColumn = 5;
constexpr int kLastAmountColumn = 26;
constexpr int kFirstDataRow = 6;

// How many persons, and over how many of the companies (from the first) the departments spread.
struct Organisation {
    int persons;
    int companiesInUse;
    auto operator<=>(const Organisation&) const = default;

    int PersonsPerDepartment() const { return persons / kDepartments; }
    int DepartmentsPerCompany() const { return kDepartments / companiesInUse; }
};

std::string Numbered(const std::string& prefix, int number) {
    char suffix[12];
    std::snprintf(suffix, sizeof suffix, "%03d", number);
    return prefix + suffix;
}

std::string CompanyCode(int company) {
    return std::to_string(kFirstCompany + company);
}

std::string DepartmentCode(const Organisation& org, int department) {
    const int perCompany = org.DepartmentsPerCompany();
    return Numbered(CompanyCode(department / perCompany), department % perCompany + 1);
}

std::string PersonCode(const Organisation& org, int person) {
    const int perDepartment = org.PersonsPerDepartment();
    return Numbered(DepartmentCode(org, person / perDepartment), person % perDepartment + 1);
}

std::string DepartmentName(const Organisation& org, int person) {
    return "部门" + DepartmentCode(org, person / org.PersonsPerDepartment());
}

void InsertNode(db::CDatabase& db, const std::string& code, const std::string& name) {
    db.ExecuteSQL(sql::InsertCompany(host::kDemoBankId, code, name));
}

void InsertOrganisation(db::CDatabase& db, const Organisation& org) {
    for (int company = 0; company < kCompanies; ++company)
        InsertNode(db, CompanyCode(company), "公司" + CompanyCode(company));
    for (int department = 0; department < kDepartments; ++department) {
        const std::string code = DepartmentCode(org, department);
        InsertNode(db, code, "部门" + code);
    }
}

// A person's row as the form's save writes one: code, name, department and internal number.
void InsertPersonRow(db::CDatabase& db, const std::string& code, const std::string& name, const std::string& department,
                     int internalNumber) {
    const std::string values = FormatSql(",'%s','%s','%s','%d'", code, name, department, internalNumber);
    db.ExecuteSQL(sql::InsertRecord("usertabb811", "relationid,inputdate,field_1,field_2,field_5,field_7",
                                    host::kDemoBankId, "2026-12-08 10:00", values));
}

void InsertPerson(db::CDatabase& db, const Organisation& org, int person) {
    const std::string code = PersonCode(org, person);
    InsertPersonRow(db, code, "员工" + code, DepartmentName(org, person), person + 1);
}

// The month's wage row of a person, keyed as the dialog looks the current month up.
void InsertWage(db::CDatabase& db, const Organisation& org, int person, const std::string& monthKey) {
    const std::string code = PersonCode(org, person);
    sql::WageRowValues row{{code, "员工" + code, DepartmentName(org, person), std::to_string(person + 1)}, {}};
    for (int column = kFirstAmountColumn; column <= kLastAmountColumn; ++column)
        row.amounts[static_cast<size_t>(column - kFirstAmountColumn)] = 100 + person % 50 + column + 0.5;
    db.ExecuteSQL(sql::InsertWageRow(monthKey, row));
}

std::string CurrentMonthKey() {
    const DateTime now = DateTime::Now();
    const DateTime monthEnd(now.GetYear(), now.GetMonth(), DaysInMonth(now.GetYear(), now.GetMonth()));
    return std::string(host::kDemoBankId) + monthEnd.Format("%Y-%m-%d");
}

// The demo's catalogue, form definition and template, without its organisation, persons and wages.
std::unique_ptr<test::TestDatabase> DemoWithoutOrganisation() {
    auto database = std::make_unique<test::TestDatabase>();
    db::CDatabase& db = database->Db();
    host::LoadDemoData(db, DateTime::Now());
    for (const char* table : {"usertabb810", "usertabb811", "usertabb812"})
        db.ExecuteSQL(std::string("delete from ") + table);
    host::StoreWageTemplate(db, BuildDemoWageTemplate());
    return database;
}

// The demo's set-up with the generated organisation in place of its own.
std::unique_ptr<test::TestDatabase> BuildDatabase(const Organisation& org) {
    auto database = DemoWithoutOrganisation();
    db::CDatabase& db = database->Db();
    const std::string monthKey = CurrentMonthKey();
    // One transaction: committing each of the 20,000 inserts alone would dominate the set-up.
    db.BeginTrans();
    InsertOrganisation(db, org);
    for (int person = 0; person < org.persons; ++person) {
        InsertPerson(db, org, person);
        InsertWage(db, org, person, monthKey);
    }
    db.CommitTrans();
    return database;
}

std::map<Organisation, std::unique_ptr<test::TestDatabase>>& Databases() {
    static std::map<Organisation, std::unique_ptr<test::TestDatabase>> databases;
    return databases;
}

// Built once per shape and made the host's database.
void UseDatabase(const Organisation& org) {
    auto& database = Databases()[org];
    if (!database) database = BuildDatabase(org);
    g_pDatabase = &database->Db();
    g_strBankId = host::kDemoBankId;
    g_strBankName.clear();
    g_bCanTransact = database->Db().CanTransact();
}

std::unique_ptr<CPayrollDlg> OpenDialog() {
    auto dialog = std::make_unique<CPayrollDlg>();
    // Showing a dialog initialises it, as running it modally does.
    dialog->Show();
    return dialog;
}

wxTreeCtrl& TreeOf(CPayrollDlg& dialog) {
    return *wxStaticCast(dialog.FindWindow(ids::kOrganisationTree), wxTreeCtrl);
}

wxTreeItemId ChildWithCode(const wxTreeCtrl& tree, const wxTreeItemId& parent, const std::string& code) {
    wxTreeItemIdValue cookie;
    wxTreeItemId child = tree.GetFirstChild(parent, cookie);
    while (child.IsOk() && GetItemString(tree, child) != code) child = tree.GetNextChild(parent, cookie);
    return child;
}

sheet::SheetControl& SheetControlOf(CPayrollDlg& dialog) {
    return *wxStaticCast(dialog.FindWindow(ids::kWageSheet), sheet::SheetControl);
}

const sheet::Workbook& SheetOf(CPayrollDlg& dialog) {
    return SheetControlOf(dialog).GetWorkbook();
}

const wxGrid& GridOf(CPayrollDlg& dialog) {
    return *SheetControlOf(dialog).GetGrid();
}

// The totals row stands at the row capacity, moved down by every inserted row.
double TotalsRowSum(CPayrollDlg& dialog) {
    const sheet::Workbook& book = SheetOf(dialog);
    double sum = 0.0;
    for (int column = kFirstAmountColumn; column <= kLastAmountColumn; ++column)
        sum += book.GetCellNumber(dialog.GetRowCapacity(), column);
    return sum;
}

double LoadedRowsSum(CPayrollDlg& dialog) {
    const sheet::Workbook& book = SheetOf(dialog);
    double sum = 0.0;
    for (int row = kFirstDataRow; row < dialog.GetNextRow(); ++row)
        for (int column = kFirstAmountColumn; column <= kLastAmountColumn; ++column)
            sum += book.GetCellNumber(row, column);
    return sum;
}

void ClickButton(CPayrollDlg& dialog, int id) {
    wxWindow* button = dialog.FindWindow(id);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

void ReportMessages(benchmark::State& state, const test::MessageCapture& messages) {
    if (!messages.texts.empty()) state.SkipWithError(("the dialog showed: " + messages.texts.front()).c_str());
}

void BM_LoadTree(benchmark::State& state) {
    const Organisation org{static_cast<int>(state.range(0)), kCompanies};
    UseDatabase(org);
    test::MessageCapture messages;
    auto dialog = OpenDialog();
    for (auto _ : state) ClickButton(*dialog, ids::kRefreshTreeButton);
    const wxTreeCtrl& tree = TreeOf(*dialog);
    if (tree.GetChildrenCount(tree.GetRootItem(), false) != kCompanies) state.SkipWithError("the tree lacks companies");
    state.counters["nodes"] = static_cast<double>(tree.GetCount());
    ReportMessages(state, messages);
}
BENCHMARK(BM_LoadTree)->Arg(1000)->Arg(10000)->Iterations(20)->Unit(benchmark::kMillisecond);

// What is timed after the selection handler: nothing, reading the totals row (which calculates
// every formula, as a view scrolled there does), or the event processing that syncs and paints the grid.
enum class Finish { Handler, Totals, Shown };

void FinishSelection(CPayrollDlg& dialog, Finish finish) {
    if (finish == Finish::Totals) benchmark::DoNotOptimize(TotalsRowSum(dialog));
    if (finish == Finish::Shown) wxTheApp->Yield(true);
}

// Each iteration first selects a person (untimed), so selecting the company is a real change.
void BM_SelectCompany(benchmark::State& state) {
    const Organisation org{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
    const auto finish = static_cast<Finish>(state.range(2));
    UseDatabase(org);
    test::MessageCapture messages;
    auto dialog = OpenDialog();
    wxTheApp->Yield(true);
    wxTreeCtrl& tree = TreeOf(*dialog);
    const wxTreeItemId company = ChildWithCode(tree, tree.GetRootItem(), CompanyCode(0));
    wxTreeItemIdValue cookie;
    const wxTreeItemId person = tree.GetFirstChild(tree.GetFirstChild(company, cookie), cookie);
    // Per iteration: a person chosen (untimed), then the company.
    const bench::RoundTripCounter trips(*g_pDatabase);
    for (auto _ : state) {
        state.PauseTiming();
        tree.SelectItem(person);
        FinishSelection(*dialog, finish);
        state.ResumeTiming();
        tree.SelectItem(company);
        FinishSelection(*dialog, finish);
    }
    trips.Report(state);
    const int personsUnder = org.persons / org.companiesInUse;
    if (dialog->GetNextRow() != kFirstDataRow + personsUnder) state.SkipWithError("the sheet lacks wage rows");
    if (finish == Finish::Shown && GridOf(*dialog).GetNumberRows() < dialog->GetRowCapacity())
        state.SkipWithError("the grid did not sync");
    if (TotalsRowSum(*dialog) != LoadedRowsSum(*dialog)) state.SkipWithError("the totals row does not add up");
    state.counters["persons"] = personsUnder;
    ReportMessages(state, messages);
}
BENCHMARK(BM_SelectCompany)
    ->ArgNames({"persons", "companies", "finish"})
    ->ArgsProduct({{1000, 10000}, {kCompanies, 1}, {0, 1, 2}})
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

// The floor of choosing a company: its month's rows read by a plain bind-and-fetch loop, nothing shown.
void BM_SelectCompanyPlainRead(benchmark::State& state) {
    UseDatabase({static_cast<int>(state.range(0)), 1});
    const std::string query = g_pDatabase->Translate(sql::MonthWages(CurrentMonthKey(), CompanyCode(0)));
    const bench::RoundTripCounter trips(*g_pDatabase);
    size_t bytes = 0;
    for (auto _ : state) bytes = ReadPlain(*g_pDatabase, query);
    trips.Report(state, state.iterations());
    if (bytes == 0) state.SkipWithError("the month has no rows");
}
BENCHMARK(BM_SelectCompanyPlainRead)->Arg(10000)->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_OpenDialog(benchmark::State& state) {
    UseDatabase({static_cast<int>(state.range(0)), kCompanies});
    test::MessageCapture messages;
    bool initialised = true;
    for (auto _ : state) initialised = initialised && OpenDialog()->GetNextRow() == kFirstDataRow;
    if (!initialised) state.SkipWithError("the initialisation stopped early");
    ReportMessages(state, messages);
}
BENCHMARK(BM_OpenDialog)->Arg(1000)->Arg(10000)->Iterations(10)->Unit(benchmark::kMillisecond);

std::vector<std::string> Translated(db::CDatabase& db, const std::vector<std::string>& statements) {
    std::vector<std::string> translated;
    translated.reserve(statements.size());
    for (const std::string& sql : statements) translated.push_back(db.Translate(sql));
    return translated;
}

long long MonthRows(db::CDatabase& db) {
    return std::stoll(
        db.GetImpl().QueryRows("select count(*) from usertabb812 where relationid='" + CurrentMonthKey() + "'")[0][0]);
}

// Generation's own organisation: the month it replaces is no other benchmark's.
constexpr int kGenerationCompanies = 2;

void BM_GenerateWages(benchmark::State& state) {
    const Organisation org{static_cast<int>(state.range(0)), kGenerationCompanies};
    UseDatabase(org);
    test::MessageCapture messages;
    auto dialog = OpenDialog();
    const bench::RoundTripCounter trips(*g_pDatabase);
    for (auto _ : state) ClickButton(*dialog, ids::kGenerateWagesButton);
    trips.Report(state);
    if (MonthRows(*g_pDatabase) != org.persons) state.SkipWithError("the month lacks rows");
    if (static_cast<long>(messages.texts.size()) != 2 * state.iterations())
        state.SkipWithError("the generation did not finish");
}
BENCHMARK(BM_GenerateWages)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_GenerateWagesPlainOdbc(benchmark::State& state) {
    const Organisation org{static_cast<int>(state.range(0)), kGenerationCompanies};
    UseDatabase(org);
    const auto statements = Translated(*g_pDatabase, GenerateMonthStatements(CurrentMonthKey(), g_strBankId));
    const bench::RoundTripCounter trips(*g_pDatabase);
    for (auto _ : state) ExecutePlain(*g_pDatabase, statements);
    trips.Report(state, static_cast<long long>(statements.size() * state.iterations()));
    if (MonthRows(*g_pDatabase) != org.persons) state.SkipWithError("the month lacks rows");
}
BENCHMARK(BM_GenerateWagesPlainOdbc)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);

// A dialog with every person of the first company loaded into the sheet.
std::unique_ptr<CPayrollDlg> DialogWithCompanyLoaded() {
    auto dialog = OpenDialog();
    wxTreeCtrl& tree = TreeOf(*dialog);
    tree.SelectItem(ChildWithCode(tree, tree.GetRootItem(), CompanyCode(0)));
    return dialog;
}

void BM_SaveWages(benchmark::State& state) {
    const Organisation org{static_cast<int>(state.range(0)), 1};
    UseDatabase(org);
    test::MessageCapture messages;
    auto dialog = DialogWithCompanyLoaded();
    const bench::RoundTripCounter trips(*g_pDatabase);
    for (auto _ : state) ClickButton(*dialog, ids::kSaveWagesButton);
    trips.Report(state);
    if (dialog->GetNextRow() != kFirstDataRow + org.persons) state.SkipWithError("the sheet lacks wage rows");
    if (MonthRows(*g_pDatabase) != org.persons) state.SkipWithError("the month lacks rows");
    if (messages.texts != std::vector<std::string>(static_cast<size_t>(state.iterations()), "保存完成"))
        state.SkipWithError("not saved");
}
BENCHMARK(BM_SaveWages)->Arg(5000)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);

// A delete and an insert per row, the plain loop a save is measured against, built beforehand.
void BM_SaveWagesPlainOdbc(benchmark::State& state) {
    const Organisation org{static_cast<int>(state.range(0)), 1};
    UseDatabase(org);
    auto dialog = DialogWithCompanyLoaded();
    const sheet::Workbook& book = SheetOf(*dialog);
    std::vector<std::string> statements;
    for (int row = kFirstDataRow; row < dialog->GetNextRow(); ++row) {
        WageRowValues values;
        for (int k = 1; k <= kTextColumns; ++k) values.texts[static_cast<size_t>(k - 1)] = book.GetCellText(row, k);
        for (int k = kTextColumns + 1; k <= kWageColumns; ++k)
            values.amounts[static_cast<size_t>(k - kTextColumns - 1)] = book.GetCellNumber(row, k);
        for (std::string& sql : SaveWageRowsStatements(CurrentMonthKey(), {values}))
            statements.push_back(std::move(sql));
    }
    const auto translated = Translated(*g_pDatabase, statements);
    const bench::RoundTripCounter trips(*g_pDatabase);
    for (auto _ : state) ExecutePlain(*g_pDatabase, translated);
    trips.Report(state, static_cast<long long>(translated.size() * state.iterations()));
    if (MonthRows(*g_pDatabase) != org.persons) state.SkipWithError("the month lacks rows");
}
BENCHMARK(BM_SaveWagesPlainOdbc)->Arg(5000)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);

void ChooseCommand(CPayrollDlg& dialog, int id) {
    wxCommandEvent command(wxEVT_MENU, MenuItemId(id));
    command.SetEventObject(&dialog);
    dialog.GetEventHandler()->ProcessEvent(command);
}

// "+" 1 on the first amount column of rows 6 to 10,005, the fill dialog answered through its
// controls; timed with the dialog's run, and with the totals row read after it when asked.
void BM_RangeFill(benchmark::State& state) {
    constexpr int kRows = 10000;
    const auto finish = static_cast<Finish>(state.range(0));
    UseDatabase({kRows, 1});
    test::MessageCapture messages;
    auto dialog = OpenDialog();
    wxTreeCtrl& tree = TreeOf(*dialog);
    tree.SelectItem(ChildWithCode(tree, tree.GetRootItem(), CompanyCode(0)));
    SheetControlOf(*dialog).SetCurrentCell(kFirstDataRow, kFirstAmountColumn);
    const std::string lastRow = std::to_string(kFirstDataRow + kRows - 1);
    test::ModalAnswers answers;
    const double before = SheetOf(*dialog).GetCellNumber(kFirstDataRow + kRows - 1, kFirstAmountColumn);
    for (auto _ : state) {
        answers.queue.push_back({{{ids::kFillTextEdit, "1"},
                                  {ids::kFillStartRowEdit, "6"},
                                  {ids::kFillEndRowEdit, lastRow},
                                  {ids::kFillOperatorEdit, "+"},
                                  {ids::kFillBeforeCheck, "0"}}});
        ChooseCommand(*dialog, ids::kFillRangeCommand);
        FinishSelection(*dialog, finish);
    }
    const double after = SheetOf(*dialog).GetCellNumber(kFirstDataRow + kRows - 1, kFirstAmountColumn);
    if (after != before + static_cast<double>(state.iterations())) state.SkipWithError("the last row was not filled");
    if (TotalsRowSum(*dialog) != LoadedRowsSum(*dialog)) state.SkipWithError("the totals row does not add up");
    state.counters["rows"] = kRows;
    ReportMessages(state, messages);
}
BENCHMARK(BM_RangeFill)->ArgName("finish")->Arg(0)->Arg(1)->Iterations(10)->Unit(benchmark::kMillisecond);

// A department of `persons` persons, 100001, and an empty one, 100002, of one company. A level takes
// 999 codes, so a move into one department takes at most 999 persons.
std::unique_ptr<test::TestDatabase> BuildMoveDatabase(int persons) {
    auto database = DemoWithoutOrganisation();
    db::CDatabase& db = database->Db();
    db.BeginTrans();
    for (const char* code : {"100", "100001", "100002"}) InsertNode(db, code, std::string("节点") + code);
    for (int person = 1; person <= persons; ++person) {
        InsertPersonRow(db, Numbered("100001", person), "员工" + std::to_string(person), "部门", person);
    }
    db.CommitTrans();
    return database;
}

void UseMoveDatabase(int persons) {
    static std::map<int, std::unique_ptr<test::TestDatabase>> databases;
    auto& database = databases[persons];
    if (!database) database = BuildMoveDatabase(persons);
    g_pDatabase = &database->Db();
    g_strBankId = host::kDemoBankId;
    g_bCanTransact = true;
}

long long PersonsUnder(const std::string& code) {
    return std::stoll(g_pDatabase->GetImpl().QueryRows(g_pDatabase->Translate(sql::CountPersonsUnder(code)))[0][0]);
}

// Each iteration drags the department holding the persons onto the other one, so they go back and forth.
void BM_MoveDepartment(benchmark::State& state) {
    const int persons = static_cast<int>(state.range(0));
    UseMoveDatabase(persons);
    test::MessageCapture messages;
    auto dialog = OpenDialog();
    std::string source = PersonsUnder("100001") > 0 ? "100001" : "100002";
    const bench::RoundTripCounter trips(*g_pDatabase);
    for (auto _ : state) {
        // The move reloads the tree, which then shows every item closed.
        state.PauseTiming();
        TreeOf(*dialog).ExpandAll();
        state.ResumeTiming();
        const std::string target = source == "100001" ? "100002" : "100001";
        automation::TreeDrag drag(*dialog, "#" + source);
        drag.MoveOver("#" + target);
        drag.Release();
        source = target;
    }
    // The tree reload after each drop counts too.
    trips.Report(state);
    if (PersonsUnder(source) != persons) state.SkipWithError("the persons did not move");
    ReportMessages(state, messages);
}
BENCHMARK(BM_MoveDepartment)->Arg(500)->Arg(999)->Iterations(4)->Unit(benchmark::kMillisecond);

// The same re-coding as plain updates of one code each, in one transaction.
void BM_MoveDepartmentPlainOdbc(benchmark::State& state) {
    const int persons = static_cast<int>(state.range(0));
    UseMoveDatabase(persons);
    std::map<std::string, std::vector<std::string>> movesFrom;
    for (const auto& [from, to] : {std::pair{"100001", "100002"}, std::pair{"100002", "100001"}}) {
        std::vector<std::string> updates;
        for (int person = 1; person <= persons; ++person)
            updates.push_back(FormatSql("update usertabb811 set field_1='%s' where field_1='%s'", Numbered(to, person),
                                        Numbered(from, person)));
        movesFrom[from] = Translated(*g_pDatabase, updates);
    }
    std::string source = PersonsUnder("100001") > 0 ? "100001" : "100002";
    const bench::RoundTripCounter trips(*g_pDatabase);
    for (auto _ : state) {
        ExecutePlain(*g_pDatabase, movesFrom[source]);
        source = source == "100001" ? "100002" : "100001";
    }
    trips.Report(state, static_cast<long long>(movesFrom[source].size() * state.iterations()));
    if (PersonsUnder(source) != persons) state.SkipWithError("the persons did not move");
}
BENCHMARK(BM_MoveDepartmentPlainOdbc)->Arg(500)->Arg(999)->Iterations(4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace keltrov

// The dialog needs a wxWidgets application, as a host with a toolkit gives it.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The connections close while the ODBC layer and the toolkit still stand.
    keltrov::Databases().clear();
    wxEntryCleanup();
    return 0;
}
