// The tree, the bound form and the wage sheet as the dialog loads them from its tables.
#include <wx/datectrl.h>
#include <xlsxwriter.h>

#include <algorithm>

#include "data/period_key.hpp"
#include "entry/host_state.hpp"
#include "host/host_tables.hpp"
#include "host/template_tool.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/sql_format.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"

namespace keltrov::test {
namespace {

constexpr const char* kBank = "10000001";

class Loading : public DialogTest {
protected:
    void SetUp() override {
        UseDemoData();
        database.Exec("delete from usertabb810");
        database.Exec("delete from usertabb811");
        database.Exec("delete from usertabb812");
    }
    void Node(const std::string& code, const std::string& table = "usertabb810") {
        database.Exec(FormatSql("insert into " + table +
                                    " (relationid, inputdate, field_1, field_2) "
                                    "values('%s',getdate(),'%s','%s')",
                                kBank, code, "n" + code));
    }
    void Wage(const std::string& code, double amount) {
        std::vector<double> amounts(22, 1.0);
        amounts[0] = amount;
        Wage(code, amounts);
    }
    // The amounts of field_5 to field_26.
    void Wage(const std::string& code, const std::vector<double>& amounts) {
        const std::string key = GetPeriodKey(DateTime::Now(), "B812");
        std::string values;
        for (double amount : amounts) values += "," + std::to_string(amount);
        database.Exec(
            FormatSql("insert into usertabb812 (relationid, inputdate, field_1, field_2, field_3, field_4, "
                      "field_5, field_6, field_7, field_8, field_9, field_10, field_11, field_12, field_13, "
                      "field_14, field_15, field_16, field_17, field_18, field_19, field_20, field_21, "
                      "field_22, field_23, field_24, field_25, field_26) values('%s',getdate(),'%s','p','d','i'",
                      key, code) +
            values + ")");
    }
};

TEST_F(Loading, TreeNestsByCodeLengthWithEveryQuirk) {
    Node("100");
    Node("100001001");  // a skipped level: goes under 100
    Node("100002");     // under the latest deeper item, not under 100
    Node("101");
    Node("101001");
    Node("101001", "usertabb811");  // same code in both tables: siblings
    Open();
    EXPECT_EQ(TreeShape(), "100(100001001(100002)),101(101001,101001)");
    EXPECT_EQ(Tree().GetItemImage(FindNode("101")), 0);

    // Refresh shows the new state; a code shorter than the first ends the load.
    database.Exec("delete from usertabb810 where field_1='100'");
    Click(ids::kRefreshTreeButton);
    EXPECT_EQ(TreeShape(), "100001001");
}

TEST_F(Loading, ComboFillsFromListSourceQueryAndPickList) {
    Node("100");
    database.Exec("delete from usertabb200");
    Definition("field_1", "C", "", "", "");
    Definition("field_2", "C", "", "", "");
    Definition("field_3", "C", "", "甲,,乙,", "");
    database.Exec("insert into usertabb001 values('10000001','2026-01-01','B811','field_3',0,'丙','','','')");
    database.Exec("insert into usertabb001 values('10000001','2026-01-01','B811','field_3',0,'丙','','','')");
    database.Exec(
        "insert into usertabb001 values('10000001','2026-01-01','B811','field_3',0,"
        "'select field_2 from usertabb810 where field_1=''100''','','','')");
    database.Exec("insert into usertabb001 values('10000001','2026-01-01','B811','field_3',0,'Selection','','','')");
    database.Exec("insert into usertabb001 values('99999999','2026-01-01','B811','field_3',0,'他行','','','')");
    database.Exec("insert into usertabb001 values('10000001','2026-01-01','B811','field_4',0,'别列','','','')");
    Open();
    std::vector<std::string> items = ComboItems(ids::kSexCombo);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::string>{"", "Selection", "n100", "丙", "丙", "乙", "女", "甲", "男"}));
    EXPECT_EQ((*dialog->GetBindings())[2].cControlKind, 'C');
    EXPECT_EQ((*dialog->GetBindings())[0].nControlId, ids::kCodeEdit);
}

TEST_F(Loading, UpperCaseSelectSourceIsAQueryAndColumnsBeyondTheControlsBindNothing) {
    Node("100");
    database.Exec("delete from usertabb200");
    Definition("field_3", "C", "", "SELECT 1", "");
    Definition("field_12", "C", "", "", "");
    Definition("name", "C", "", "", "");
    Open();
    EXPECT_EQ(ComboItems(ids::kSexCombo), (std::vector<std::string>{"1", "女", "男"}));
    const BindingTable& table = *dialog->GetBindings();
    EXPECT_EQ(table[1].nControlId, 0);
    EXPECT_EQ(table[1].cControlKind, 0);
    EXPECT_EQ(table[2].nControlId, 0);
}

TEST_F(Loading, RecordShowsEachTypeInItsFormat) {
    Node("100");
    Node("100001");
    database.Exec("delete from usertabb200");
    Definition("field_1", "C", "", "", "");
    Definition("field_2", "l", "", "", "");
    Definition("field_4", "N", "", "", "");
    Definition("field_5", "d", "D", "", "tnow");
    Definition("field_6", "D", "D", "", "now");
    Definition("field_7", "X", "", "", "");
    database.Exec(
        "insert into usertabb811 (relationid, inputdate, field_1, field_2, field_4, field_5, field_6, field_7) "
        "values('10000001',getdate(),'100001001','张三','12.5','2026-03-04 05:06','2026-03-04 05:06','x')");
    Node("100001002", "usertabb811");
    Open();
    Select("100001001");
    EXPECT_EQ(Text(ids::kCodeEdit), "100001001");
    EXPECT_EQ(Text(ids::kNameEdit), "张三");
    EXPECT_EQ(Text(ids::kIdNumberEdit), "12.50");
    EXPECT_EQ(Text(ids::kDepartmentEdit), "2026-03-04 05:06");
    EXPECT_EQ(Text(ids::kPositionEdit), "2026-03-04");
    EXPECT_EQ(Text(ids::kInternalNumberEdit), "");
    EXPECT_FALSE(Control(ids::kSaveButton).IsEnabled());

    // Another person clears what the first left; an empty number shows as 0.00.
    Select("100001002");
    EXPECT_EQ(Text(ids::kNameEdit), "n100001002");
    EXPECT_EQ(Text(ids::kIdNumberEdit), "0.00");
    EXPECT_EQ(Text(ids::kDepartmentEdit), "");
    Select("100");
    EXPECT_EQ(Text(ids::kNameEdit), "");
}

TEST_F(Loading, MonthFillsInPlaceThenInsertsAboveTheTotals) {
    for (int rows : {0, 43, 44, 60}) {
        SetUp();
        Node("900");
        double sum = 0;
        for (int i = 1; i <= rows; ++i) {
            Wage("900" + std::to_string(100000 + i), i * 1.5);
            sum += i * 1.5;
        }
        Open();
        Select("900");
        const int totalsRow = 50 + std::max(0, rows - 43);
        SCOPED_TRACE(rows);
        EXPECT_EQ(dialog->GetNextRow(), 6 + rows);
        EXPECT_EQ(dialog->GetRowCapacity(), 50 + std::max(0, rows - 43));
        EXPECT_EQ(Sheet().GetCellText(totalsRow, 2), "合计");
        EXPECT_DOUBLE_EQ(Sheet().GetCellNumber(totalsRow, 5), sum);
        // Gross pay is a formula: the stored 1 is not shown, the sum of E..M is, on every loaded row.
        EXPECT_DOUBLE_EQ(Sheet().GetCellNumber(totalsRow, 14), sum + rows * 8.0);
        if (rows > 0) {
            const int last = 5 + rows;
            EXPECT_EQ(Sheet().GetCellFormula(last, 14),
                      "SUM(E" + std::to_string(last) + ":M" + std::to_string(last) + ")");
            EXPECT_EQ(Sheet().GetCellFormula(last + 1, 14), "");
        }
        database.Exec("delete from usertabb812");
        database.Exec("delete from usertabb810");
    }
}

TEST_F(Loading, RefreshReloadsTheSelectedNodeForThePickedMonth) {
    Node("100");
    Wage("100001001", 7);
    Open();
    EXPECT_FALSE(Tree().GetSelection().IsOk());
    Click(ids::kRefreshWagesButton);  // nothing selected: nothing loaded
    EXPECT_EQ(dialog->GetNextRow(), 6);
    Select("100");
    EXPECT_EQ(Sheet().GetCellText(6, 1), "100001001");
    Sheet().SetCellText(6, 1, "typed");
    wxStaticCast(&Control(ids::kWageDatePicker), wxDatePickerCtrl)
        ->SetValue(wxDateTime::Today() - wxDateSpan::Months(2));
    Click(ids::kRefreshWagesButton);
    EXPECT_EQ(Sheet().GetCellText(6, 1), "");
    EXPECT_EQ(dialog->GetNextRow(), 6);
}

TEST_F(Loading, DatabaseErrorInAHandlerIsShownAndTheDialogGoesOn) {
    Node("100");
    Open();
    database.Exec("drop table usertabb812");
    Select("100");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("usertabb812"), std::string::npos) << messages.texts[0];
    EXPECT_TRUE(dialog->IsShown());
}

// Host data that is wrong or hostile: the screen shows what is there and never changes it.
TEST_F(Loading, StoredTextsRunOnlyWhenTheyAreOneSelect) {
    Node("100");
    Node("100001001", "usertabb811");
    database.Exec("delete from usertabb200");
    Definition("field_3", "C", "", "update usertabb810 set field_2='x' where 'select'='select'", "");
    database.Exec(
        "insert into usertabb001 values('10000001','2026-01-01','B811','field_3',0,"
        "'delete from usertabb811 where ''select''=''select''','','','')");
    database.Exec(
        "insert into usertabb001 values('10000001','2026-01-01','B811','field_3',0,"
        "'select field_2 from usertabb810; delete from usertabb811','','','')");
    database.Exec(
        "insert into usertabb001 values('10000001','2026-01-01','B811','field_3',0,"
        "' /* list */ SELECT field_2 from usertabb810;','','','')");
    Open();
    EXPECT_EQ(ComboItems(ids::kSexCombo),
              (std::vector<std::string>{"delete from usertabb811 where 'select'='select'", "n100",
                                        "select field_2 from usertabb810; delete from usertabb811",
                                        "update usertabb810 set field_2='x' where 'select'='select'", "女", "男"}));
    EXPECT_EQ(database.Rows("select field_2 from usertabb810"), (std::vector<std::vector<std::string>>{{"n100"}}));
    EXPECT_EQ(database.Rows("select count(*) from usertabb811")[0][0], "1");
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(Loading, FailingListQueriesAreShownAndTheScreenStillLoads) {
    Node("100");
    database.Exec("delete from usertabb200");
    Definition("field_3", "C", "", "select nosuch from usertabb810", "");
    database.Exec(
        "insert into usertabb001 values('10000001','2026-01-01','B811','field_3',0,'select 1 from missing','','','')");
    database.Exec("insert into usertabb001 values('10000001','2026-01-01','B811','field_3',0,'甲','','','')");
    Open();
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_NE(messages.texts[0].find("nosuch"), std::string::npos) << messages.texts[0];
    EXPECT_NE(messages.texts[1].find("missing"), std::string::npos) << messages.texts[1];
    EXPECT_EQ(ComboItems(ids::kSexCombo), (std::vector<std::string>{"女", "甲", "男"}));
    EXPECT_EQ(TreeShape(), "100");
    EXPECT_EQ(Sheet().GetCellText(50, 2), "合计");
}

TEST_F(Loading, CodesWithWildcardsMatchOnlyThemselves) {
    Node("1_0");
    Node("1%");
    Wage("1_0001", 1);
    Wage("100001", 2);
    Wage("1%0001", 3);
    Open();
    Select("1_0");
    EXPECT_EQ(dialog->GetNextRow(), 7);
    EXPECT_EQ(Sheet().GetCellText(6, 1), "1_0001");
    Select("1%");
    EXPECT_EQ(dialog->GetNextRow(), 7);
    EXPECT_EQ(Sheet().GetCellText(6, 1), "1%0001");
}

TEST_F(Loading, LongNamesShowWhole) {
    // A three-byte character straddles byte 5,000.
    const std::string name = std::string(4999, 'a') + "工" + std::string(3000, 'b');
    database.Exec(
        FormatSql("insert into usertabb810 (relationid, field_1, field_2) values('%s','100','%s')", kBank, name));
    database.Exec(
        FormatSql("insert into usertabb811 (relationid, inputdate, field_1, field_2) "
                  "values('%s','2026-12-08 10:00','100001','%s')",
                  kBank, name));
    Open();
    EXPECT_TRUE(FromWx(Tree().GetItemText(FindNode("100"))) == name);
    Select("100001");
    EXPECT_TRUE(Text(ids::kNameEdit) == name);
}

// A template with formulas in amount columns of its data rows: a sum of the row (N), a share of a
// fixed cell above the data (W), a running total over the row above (X, whose caption cell is
// empty), a formula that starts on row 8 (P); totals in row 50 over rows 6-49.
std::vector<unsigned char> FormulaTemplate() {
    return WriteXlsxImage([](lxw_workbook* workbook) {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, "工资表");
        worksheet_write_number(sheet, 1, 4, 0.5, nullptr);  // E2
        for (int c = 4; c <= 25; ++c) {
            if (c != 23) worksheet_write_string(sheet, 4, c, "金额", nullptr);
            const std::string letters = sheet::ColumnName(c + 1);
            worksheet_write_formula(sheet, 49, c, ("=SUM(" + letters + "6:" + letters + "49)").c_str(), nullptr);
        }
        worksheet_write_string(sheet, 49, 1, "合计", nullptr);
        worksheet_write_formula(sheet, 5, 13, "=SUM(E6:M6)", nullptr);
        worksheet_write_formula(sheet, 5, 22, "=V6*$E$2", nullptr);
        worksheet_write_formula(sheet, 5, 23, "=X5+E6", nullptr);
        worksheet_write_formula(sheet, 7, 15, "=E8+1", nullptr);
    });
}

double Amount(int person, int column) {
    return person * 0.5 + column;
}

// What each cell of a loaded row shows as the formulas of the row read: the formula as printed
// for that row, and the value.
struct ExpectedCell {
    std::string formula;
    double value;
};

ExpectedCell Expected(int row, int column, int person, double runningTotal) {
    const std::string r = std::to_string(row);
    switch (column) {
        case 14: {
            double sum = 0;
            for (int k = 5; k <= 13; ++k) sum += Amount(person, k);
            return {"SUM(E" + r + ":M" + r + ")", sum};
        }
        case 16:
            if (row >= 8) return {"E" + r + "+1", Amount(person, 5) + 1};
            break;
        case 23: return {"V" + r + "*$E$2", Amount(person, 22) * 0.5};
        case 24: return {"X" + std::to_string(row - 1) + "+E" + r, runningTotal};
        default: break;
    }
    return {"", Amount(person, column)};
}

TEST_F(Loading, ManyRowsShowTheTemplateFormulasAsIfFilledRowByRow) {
    host::StoreWageTemplate(database.Db(), FormulaTemplate());
    Node("900");
    constexpr int kPersons = 120;
    for (int person = 0; person < kPersons; ++person) {
        std::vector<double> amounts;
        for (int k = 5; k <= 26; ++k) amounts.push_back(Amount(person, k));
        Wage("900" + std::to_string(100000 + person), amounts);
    }
    Open();
    Select("900");
    const int last = 5 + kPersons;
    const int totalsRow = 50 + kPersons - 43;
    EXPECT_EQ(dialog->GetNextRow(), last + 1);
    EXPECT_EQ(dialog->GetRowCapacity(), totalsRow);

    std::vector<double> totals(27, 0.0);
    double runningTotal = 0;
    for (int row = 6; row <= last; ++row) {
        SCOPED_TRACE(row);
        const std::string code = Sheet().GetCellText(row, 1);
        ASSERT_EQ(code.size(), 9u);
        const int person = std::stoi(code.substr(3)) - 100000;
        EXPECT_EQ(Sheet().GetCellText(row, 2) + Sheet().GetCellText(row, 3) + Sheet().GetCellText(row, 4), "pdi");
        runningTotal += Amount(person, 5);
        for (int column = 5; column <= 26; ++column) {
            const ExpectedCell expected = Expected(row, column, person, runningTotal);
            EXPECT_EQ(Sheet().GetCellFormula(row, column), expected.formula) << column;
            EXPECT_DOUBLE_EQ(Sheet().GetCellNumber(row, column), expected.value) << column;
            totals[column] += expected.value;
        }
    }
    for (int column = 1; column <= 26; ++column) EXPECT_EQ(Sheet().GetCellText(last + 1, column), "") << column;
    EXPECT_EQ(Sheet().GetCellText(totalsRow, 2), "合计");
    for (int column = 5; column <= 26; ++column) {
        const std::string letters = sheet::ColumnName(column);
        EXPECT_EQ(Sheet().GetCellFormula(totalsRow, column),
                  "SUM(" + letters + "6:" + letters + std::to_string(last + 1) + ")");
        EXPECT_NEAR(Sheet().GetCellNumber(totalsRow, column), totals[column], 1e-6) << column;
    }
}

}  // namespace
}  // namespace keltrov::test
