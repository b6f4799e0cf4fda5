// Adding and deleting nodes, generating a month and saving the sheet, through the real dialog.
#include <wx/button.h>
#include <wx/datectrl.h>

#include <optional>

#include "data/period_key.hpp"
#include "entry/host_state.hpp"
#include "host/host_tables.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/datetime.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"
#include "tests/dialog/modal_answers.hpp"

namespace keltrov::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class Writes : public DialogTest {
protected:
    void SetUp() override { UseDemoData(); }
    Rows Organisation() {
        return database.Rows("select relationid, field_1, field_2 from usertabb810 order by field_1");
    }
    std::string MonthKey(const DateTime& date) { return GetPeriodKey(date, "B812"); }
    std::string ThisMonth() { return MonthKey(DateTime::Now()); }
    Rows Month(const std::string& key, const std::string& columns = "field_1, field_5") {
        return database.Rows("select " + columns + " from usertabb812 where relationid='" + key + "' order by field_1");
    }
    void PickMonth(const DateTime& date) {
        wxStaticCast(&Control(ids::kWageDatePicker), wxDatePickerCtrl)->SetValue(ToWxDateTime(date));
    }
    NameAnswers names;
};

TEST_F(Writes, CompaniesAreNumberedOverTheWholeTable) {
    database.Exec("delete from usertabb810");
    database.Exec("delete from usertabb811");
    database.Exec("delete from usertabb812");
    database.Exec("insert into usertabb810 values('other', getdate(), '100', 'x')");  // another owner still counts
    database.Exec("insert into usertabb810 values('10000001', getdate(), '100', '总公司')");
    Open();
    names.queue = {"  新公司 ", "O'Neil 公司", std::nullopt, "   "};
    Command(ids::kAddCompanyCommand);
    Command(ids::kAddCompanyCommand);
    Command(ids::kAddCompanyCommand);
    Command(ids::kAddCompanyCommand);
    EXPECT_EQ(names.titles, std::vector<std::string>(4, "输入楼栋/单元名称"));
    EXPECT_EQ(Organisation(), (Rows{{"other", "100", "x"},
                                    {"10000001", "100", "总公司"},
                                    {"10000001", "101", "新公司"},
                                    {"10000001", "102", "O'Neil 公司"}}));
    EXPECT_EQ(TreeShape(), "100,101,102");
    EXPECT_EQ(FromWx(Tree().GetItemText(FindNode("102"))), "O'Neil 公司");
    EXPECT_FALSE(Tree().GetSelection().IsOk());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(Writes, FirstCompanyAndUsedUpCodes) {
    database.Exec("delete from usertabb810");
    database.Exec("delete from usertabb811");
    database.Exec("delete from usertabb812");
    database.Exec("insert into usertabb811 (relationid, field_1, field_2) values('10000001', '999', 'p')");
    Open();
    names.queue = {"第一"};
    Command(ids::kAddCompanyCommand);
    EXPECT_EQ(Organisation(), (Rows{{"10000001", "100", "第一"}}));
    database.Exec("insert into usertabb810 values('10000001', getdate(), '999', 'last')");
    Command(ids::kAddCompanyCommand);  // refused before the name is asked for
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"编号已用完"}));
    EXPECT_EQ(Organisation().size(), 2U);
}

TEST_F(Writes, DepartmentsTakeTheNextCodeUnderTheSelectedNode) {
    database.Exec("insert into usertabb810 values('10000001', getdate(), '100005', '旧部')");
    Open();
    Select("100");
    names.queue = {"新部门"};
    Command(ids::kAddDepartmentCommand);
    Select("100001001");  // a person: the department goes under the person's code
    names.queue = {"小组"};
    Command(ids::kAddDepartmentCommand);
    EXPECT_EQ(database.Rows("select field_1, field_2 from usertabb810 where field_1 in ('100006','100001001001')"),
              (Rows{{"100006", "新部门"}, {"100001001001", "小组"}}));
    EXPECT_EQ(TreeShape(),
              "100(100001(100001001(100001001001),100001002),100002(100002001,100002002),100005,100006),"
              "101(101001(101001001,101001002))");
    EXPECT_FALSE(Tree().IsExpanded(FindNode("100001001")));
    Select("101001");
    names.queue = {std::nullopt};
    Command(ids::kAddDepartmentCommand);  // 取消
    database.Exec("insert into usertabb810 values('10000001', getdate(), '101999', 'last')");
    Select("101");
    Command(ids::kAddDepartmentCommand);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"编号已用完"}));
    EXPECT_EQ(database.Rows("select count(*) from usertabb810")[0][0], "9");
}

TEST_F(Writes, FailedInsertLeavesTheTree) {
    database.RefuseWrites("usertabb810", "insert", "refused");
    Open();
    const std::string before = TreeShape();
    names.queue = {"新公司"};
    Command(ids::kAddCompanyCommand);
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_NE(messages.texts[0].find("refused"), std::string::npos) << messages.texts[0];
    EXPECT_EQ(TreeShape(), before);
}

TEST_F(Writes, AddPersonPreparesTheFormAndSavingAddsTheItem) {
    Open();
    Select("100001");
    Command(ids::kAddPersonCommand);
    EXPECT_EQ(Text(ids::kCodeEdit), "100001003");
    EXPECT_EQ(Text(ids::kDepartmentEdit), "财务部");
    EXPECT_TRUE(Control(ids::kSaveButton).IsEnabled());
    EXPECT_TRUE(database.Rows("select * from usertabb811 where field_1='100001003'").empty());
    SetWindowText(Control(ids::kNameEdit), "赵六");
    Click(ids::kSaveButton);
    EXPECT_EQ(database.Rows("select field_2, field_5 from usertabb811 where field_1='100001003'"),
              (Rows{{"赵六", "财务部"}}));
    EXPECT_EQ(FromWx(Tree().GetItemText(FindNode("100001003"))), "赵六");
}

TEST_F(Writes, DeletingANodeRemovesItsSubtreeFromBothTables) {
    database.Exec("insert into usertabb810 values('10000001', getdate(), '100001001001', '人下部门')");
    database.Exec("insert into usertabb810 values('10000001', getdate(), '1_0', '通配')");
    Open();
    Select("100001001");
    messages.answers = {MessageAnswer::Cancel};
    Command(ids::kDeleteNodeCommand);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"是否真的要删除张伟? \n该公司下的所有人员部门将全部删除"}));
    EXPECT_TRUE(FindNode("100001001").IsOk());
    Select("100001001");
    Command(ids::kDeleteNodeCommand);
    EXPECT_FALSE(FindNode("100001001").IsOk());
    EXPECT_TRUE(database.Rows("select * from usertabb810 where field_1 like '100001001%'").empty());
    Select("1_0");
    Command(ids::kDeleteNodeCommand);
    Select("100");
    Command(ids::kDeleteNodeCommand);
    EXPECT_EQ(TreeShape(), "101(101001(101001001,101001002))");
    EXPECT_EQ(database.Rows("select field_1 from usertabb810 union all select field_1 from usertabb811 order by 1"),
              (Rows{{"101"}, {"101001"}, {"101001001"}, {"101001002"}}));
    // Wage rows of deleted persons stay where they are.
    EXPECT_EQ(database.Rows("select count(*) from usertabb812 where field_1 like '100%'")[0][0], "8");
}

TEST_F(Writes, FailedDeleteRollsBackAndKeepsTheItem) {
    database.RefuseWrites("usertabb810", "delete", "kept");
    Open();
    Select("100002");
    Command(ids::kDeleteNodeCommand);
    ASSERT_EQ(messages.texts.size(), 2U);
    EXPECT_NE(messages.texts[1].find("kept"), std::string::npos) << messages.texts[1];
    EXPECT_TRUE(FindNode("100002").IsOk());
    EXPECT_EQ(database.Rows("select count(*) from usertabb811 where field_1 like '100002%'")[0][0], "2");
}

TEST_F(Writes, SavingADemoMonthUnchangedKeepsEveryStoredRow) {
    std::string columns = "relationid";
    for (int k = 1; k <= 26; ++k) columns += ", field_" + std::to_string(k);
    const std::string everyRow = "select " + columns + " from usertabb812 order by relationid, field_1";
    const Rows before = database.Rows(everyRow);
    const Rows months = database.Rows("select distinct relationid from usertabb812");
    ASSERT_EQ(months.size(), 2U);
    Open();
    for (const auto& month : months) {
        PickMonth(DateTime::Parse(month[0].substr(std::string(host::kDemoBankId).size())));
        for (const char* company : {"100", "101"}) {
            Select(company);
            Click(ids::kSaveWagesButton);
        }
    }
    EXPECT_EQ(messages.texts, std::vector<std::string>(4, "保存完成"));
    EXPECT_EQ(database.Rows(everyRow), before);
}

class Generate : public Writes {
protected:
    void SetUp() override {
        Writes::SetUp();
        database.Exec("delete from usertabb811 where field_1 not in ('100001001', '100001002')");
        database.Exec("delete from usertabb812");
    }
    void Wage(const std::string& key, const std::string& code, double amount) {
        database.Exec("insert into usertabb812 (relationid, field_1, field_2, field_5) values('" + key + "','" + code +
                      "','n'," + std::to_string(amount) + ")");
    }
};

TEST_F(Generate, WithoutAnEarlierMonthEveryPersonGetsEmptyAmounts) {
    Open();
    Click(ids::kGenerateWagesButton);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"本操作要删除本月工资,是否继续? ", "保存完成"}));
    EXPECT_EQ(Month(ThisMonth(), "field_1, field_2, field_3, field_4, field_5"),
              (Rows{{"100001001", "张伟", "财务部", "0001", ""}, {"100001002", "王芳", "财务部", "0002", ""}}));
    Select("100001");
    EXPECT_EQ(Sheet().GetCellNumber(6, 5), 0.0);
}

TEST_F(Generate, CopiesTheLatestEarlierMonthOfTheBankAndReplacesEdits) {
    const std::string bank = "10000001";
    Wage(bank + "2001-01-31", "100001001", 1);
    Wage(bank + "2001-03-31", "100001001", 3);    // the latest earlier month
    Wage(bank + "2001-03-31", "100001009", 9);    // left the register: no row
    Wage("999999992001-04-30", "100001001", 99);  // another bank's month in between
    Wage(bank + "2001-05-31", "100001001", 5);    // later: untouched
    database.Exec("insert into usertabb811 (relationid, field_1, field_2) values('99999999', '100001003', '外行')");
    Wage(bank + "2001-04-30", "100001001", 42);  // edited and saved earlier: replaced
    Open();
    PickMonth(DateTime(2001, 4, 10));
    Click(ids::kGenerateWagesButton);
    EXPECT_EQ(Month(bank + "2001-04-30"), (Rows{{"100001001", Traits().Decimal("3")}, {"100001002", ""}}));
    EXPECT_EQ(Month(bank + "2001-05-31"), (Rows{{"100001001", Traits().Decimal("5")}}));
    EXPECT_EQ(Month("999999992001-04-30"), (Rows{{"100001001", Traits().Decimal("99")}}));
}

TEST_F(Generate, TakesThePersonsOfABankIdOfAnyLength) {
    for (const std::string bank : {"B12", "B000000000012"}) {
        SCOPED_TRACE(bank);
        g_strBankId = bank;
        database.Exec("update usertabb811 set relationid='" + bank + "'");
        Wage(bank + "2001-03-31", "100001001", 3);
        Open();
        PickMonth(DateTime(2001, 4, 10));
        Click(ids::kGenerateWagesButton);
        EXPECT_EQ(Month(bank + "2001-04-30"), (Rows{{"100001001", Traits().Decimal("3")}, {"100001002", ""}}));
    }
}

TEST_F(Generate, CancelOrFailureKeepsTheMonth) {
    Wage(ThisMonth(), "100001001", 7);
    Open();
    messages.answers = {MessageAnswer::Cancel};
    Click(ids::kGenerateWagesButton);
    database.RefuseWrites("usertabb812", "insert", "refused");
    Click(ids::kGenerateWagesButton);
    ASSERT_EQ(messages.texts.size(), 3U);
    EXPECT_NE(messages.texts[2].find("refused"), std::string::npos) << messages.texts[2];
    EXPECT_EQ(Month(ThisMonth()), (Rows{{"100001001", Traits().Decimal("7")}}));
}

class SaveWages : public Generate {
protected:
    void SetUp() override {
        Generate::SetUp();
        Wage(ThisMonth(), "100001001", 10);
        Wage(ThisMonth(), "100001002", 20);
    }
};

TEST_F(SaveWages, StoresRowsSixToNextRowAndNothingBelow) {
    Open();
    Select("100001");
    ASSERT_EQ(dialog->GetNextRow(), 8);
    Sheet().SetCellNumber(6, 5, 11.456);
    Sheet().SetCellText(7, 2, "王'芳");
    for (int k = 1; k <= 4; ++k) Sheet().SetCellText(8, k, k == 1 ? "100001007" : "新");  // the next row is saved
    Sheet().SetCellText(9, 1, "100001008");                                               // below it: not
    Click(ids::kSaveWagesButton);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"保存完成"}));
    const auto amount = [&](const char* text) { return Traits().Decimal(text); };
    EXPECT_EQ(Month(ThisMonth(), "field_1, field_2, field_5, field_6"),
              (Rows{{"100001001", "n", amount("11.46"), amount("0")},
                    {"100001002", "王'芳", amount("20"), amount("0")},
                    {"100001007", "新", amount("0"), amount("0")}}));
    EXPECT_EQ(dialog->GetNextRow(), 8);
}

TEST_F(SaveWages, AnEmptyLoadSavesRowSixIntoThePickedMonth) {
    Open();
    Select("100002");  // no wages: only row 6 counts
    Sheet().SetCellText(6, 1, "100002001");
    Sheet().SetCellText(7, 1, "100002002");
    PickMonth(DateTime(2001, 4, 10));
    Click(ids::kSaveWagesButton);
    EXPECT_EQ(Month("100000012001-04-30", "field_1"), (Rows{{"100002001"}}));
}

TEST_F(SaveWages, TwoRowsWithOneCodeLeaveTheLowerAndAFailureLeavesTheMonth) {
    Open();
    Select("100001");
    Sheet().SetCellText(7, 1, "100001001");
    Sheet().SetCellNumber(7, 5, 77);
    Click(ids::kSaveWagesButton);
    // The code's stored row is the lower sheet row's; the row whose code was typed over stays.
    EXPECT_EQ(Month(ThisMonth()), (Rows{{"100001001", Traits().Decimal("77")}, {"100001002", Traits().Decimal("20")}}));
    Select("100001");
    Sheet().SetCellNumber(6, 5, 1);
    Sheet().SetCellText(7, 1, "100001002");
    database.RefuseWrites("usertabb812", "insert", "refused", "new.field_1 = '100001002'");
    messages.texts.clear();
    Click(ids::kSaveWagesButton);
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_NE(messages.texts[0].find("refused"), std::string::npos);
    EXPECT_EQ(Month(ThisMonth()), (Rows{{"100001001", Traits().Decimal("77")}, {"100001002", Traits().Decimal("20")}}));
}

}  // namespace
}  // namespace keltrov::test
