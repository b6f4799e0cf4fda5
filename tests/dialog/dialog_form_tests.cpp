// Saving the person form, modify mode, new-record defaults and automatic numbers, through the controls.
#include "entry/host_state.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/datetime.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"

namespace keltrov::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class FormSave : public DialogTest {
protected:
    void SetUp() override { UseDemoData(); }
    void Type(int id, const std::string& text) { SetWindowText(Control(id), text); }
    // What adding a person leaves in the form: the Save button enabled and a new code.
    void NewPerson(const std::string& code) {
        Control(ids::kSaveButton).Enable();
        Type(ids::kCodeEdit, code);
    }
    void Save() {
        ASSERT_TRUE(Control(ids::kSaveButton).IsEnabled());
        Click(ids::kSaveButton);
    }
    void CustomForm() {
        DefineForm({{"field_1", "C"},
                    {"field_2", "c"},
                    {"field_3", "X"},
                    {"field_4", "n"},
                    {"field_5", "d", "D"},
                    {"field_6", "D", "D"},
                    {"field_7", "I"},
                    {"field_12", "L"},
                    {"field_13", "N"},
                    {"field_14", "D"}});
    }
};

TEST_F(FormSave, NewPersonStoresEveryTypeLetterAndJoinsTheTree) {
    CustomForm();
    Open();
    Select("100001");
    NewPerson("100001009");
    Type(ids::kNameEdit, "O'Brien");
    Type(ids::kSexCombo, "男");
    Type(ids::kIdNumberEdit, "");
    Type(ids::kDepartmentEdit, "2");
    Type(ids::kPositionEdit, "2006/05/19");
    Type(ids::kInternalNumberEdit, "12.5");
    const std::string minute = DateTime::Now().Format("%Y-%m-%d %H:%M");
    Save();
    EXPECT_TRUE(messages.texts.empty());
    // The numbers go in unquoted as 0.0000 and 12.5000; the text columns keep them as SQLite writes numbers.
    EXPECT_EQ(database.Rows("select relationid, field_2, typeof(field_3), field_4, field_5, field_6, field_7, "
                            "field_12, typeof(field_12), field_13, typeof(field_14), typeof(field_8), "
                            "substr(inputdate,1,16) >= '" +
                            minute + "' from usertabb811 where field_1='100001009'"),
              (Rows{{"10000001", "O'Brien", "null", "0.0", "1900-01-01", "1905-06-28", "12.5", "", "text", "0.0",
                     "null", "null", "1"}}));
    const wxTreeItemId added = FindNode("100001009");
    ASSERT_TRUE(added.IsOk());
    EXPECT_EQ(Tree().GetItemParent(added), FindNode("100001"));
    EXPECT_EQ(FromWx(Tree().GetItemText(added)), "O'Brien");
    EXPECT_FALSE(Control(ids::kSaveButton).IsEnabled());
}

TEST_F(FormSave, DateTextsAreStoredAsDatesOrAsNullOrRefused) {
    CustomForm();
    Open();
    NewPerson("900");
    Type(ids::kDepartmentEdit, "2006-05-19'); delete from usertabb811; --");
    Type(ids::kPositionEdit, "0");
    Save();
    // Day counts end at 9999-12-31; a larger one, even one past the whole numbers, is no date.
    const std::vector<std::pair<std::string, std::string>> counts{
        {"901", "2958465"}, {"902", "2958466"}, {"903", "99999999999"}};
    for (const auto& [code, count] : counts) {
        NewPerson(code);
        Type(ids::kDepartmentEdit, "0");
        Type(ids::kPositionEdit, count);
        Save();
    }
    EXPECT_EQ(database.Rows("select field_1, field_5, typeof(field_5), field_6, typeof(field_6) from usertabb811 "
                            "where field_1 like '90_' order by field_1"),
              (Rows{{"901", "", "null", "9999-12-31", "text"}}));
    EXPECT_EQ(messages.texts.size(), 3u);
    EXPECT_EQ(database.Rows("select count(*) from usertabb811")[0][0], "7");
    // Without a selection the new people are companies of the tree's top.
    EXPECT_EQ(Tree().GetItemParent(FindNode("901")), Tree().GetRootItem());
}

TEST_F(FormSave, NothingStoredMeansNoTreeItem) {
    DefineForm({{"field_2", "C"}, {"field_4", "N"}});
    Open();
    const std::string shape = TreeShape();
    Type(ids::kNameEdit, "王五");
    Save();  // no number: nothing to save
    Select("100");
    Click(ids::kModifyButton);
    EXPECT_FALSE(Control(ids::kSaveButton).IsEnabled());  // 修改 needs a number too
    Select("100001");
    NewPerson("100001009");  // not a bound column: the bound values are all empty
    Save();
    EXPECT_EQ(database.Rows("select count(*) from usertabb811")[0][0], "6");
    EXPECT_EQ(TreeShape(), shape);
    EXPECT_TRUE(messages.texts.empty());

    database.RefuseWrites("usertabb811", "insert", "refused");
    NewPerson("100001009");
    Type(ids::kNameEdit, "李四");
    Save();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_TRUE(messages.texts[0].starts_with("数据可能有非法字符,写入数据库错 ")) << messages.texts[0];
    EXPECT_NE(messages.texts[0].find("refused"), std::string::npos) << messages.texts[0];
    EXPECT_EQ(TreeShape(), shape);
}

TEST_F(FormSave, RefusedCommitAddsNoTreeItem) {
    Open();
    // A deferred foreign key is checked at commit: the insert runs, the commit is refused.
    database.Exec("PRAGMA foreign_keys=ON");
    database.Exec("create table parent (id varchar(9) primary key)");
    database.Exec("create table child (id varchar(9) references parent(id) deferrable initially deferred)");
    database.Exec("create trigger orphan after insert on usertabb811 begin insert into child values('none'); end");
    Select("100001");
    NewPerson("100001009");
    Type(ids::kNameEdit, "李四");
    Save();
    EXPECT_EQ(messages.texts, std::vector<std::string>{"提交失败"});
    EXPECT_FALSE(FindNode("100001009").IsOk());
}

TEST_F(FormSave, ModifyReplacesTheRowAndKeepsItWhenTheInsertFails) {
    Open();
    const std::string shape = TreeShape();
    Select("100001001");
    Click(ids::kModifyButton);
    EXPECT_TRUE(Control(ids::kSaveButton).IsEnabled());
    Type(ids::kNameEdit, "张伟伟");
    Save();
    EXPECT_EQ(database.Rows("select field_2, field_3, field_4, field_5, field_6, field_7 from usertabb811 "
                            "where field_1='100001001'"),
              (Rows{{"张伟伟", "男", "110101198001011234", "财务部", "会计", "0001"}}));
    EXPECT_EQ(TreeShape(), shape);
    EXPECT_FALSE(Control(ids::kSaveButton).IsEnabled());

    database.Exec("alter table usertabb811 rename column field_7 to internal");
    Select("100001002");
    Click(ids::kModifyButton);
    Type(ids::kNameEdit, "王芳芳");
    Save();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_TRUE(messages.texts[0].starts_with("数据可能有非法字符,写入数据库错 ")) << messages.texts[0];
    EXPECT_EQ(database.Rows("select field_2 from usertabb811 where field_1='100001002'"), (Rows{{"王芳"}}));
}

TEST_F(FormSave, LargeNumbersKeepEveryDigitThroughLoadAndSave) {
    DefineForm({{"field_1", "C"}, {"field_4", "N"}});
    database.Exec("update usertabb811 set field_4='1e70' where field_1='100001001'");
    Open();
    Select("100001001");
    EXPECT_EQ(Text(ids::kIdNumberEdit).size(), 74u) << Text(ids::kIdNumberEdit);  // 71 digits and ".00"
    Click(ids::kModifyButton);
    Save();
    EXPECT_EQ(database.Rows("select field_4 from usertabb811 where field_1='100001001'"), (Rows{{"1.0e+70"}}));
}

TEST_F(FormSave, ModifyModeOutlastsATreeSelectionUntilSave) {
    Open();
    const std::string shape = TreeShape();
    Select("100001001");
    Click(ids::kModifyButton);
    Select("100001002");
    EXPECT_FALSE(Control(ids::kSaveButton).IsEnabled());
    database.Exec("insert into usertabb811 (relationid, field_1, field_2) values('10000001','100001009','旧')");
    NewPerson("100001009");
    Type(ids::kNameEdit, "新人");
    Save();
    EXPECT_EQ(database.Rows("select field_2 from usertabb811 where field_1='100001009'"), (Rows{{"新人"}}));
    EXPECT_EQ(TreeShape(), shape);

    // 保存 ended modify mode: the next save adds a person again.
    NewPerson("100001010");
    Save();
    EXPECT_TRUE(FindNode("100001010").IsOk());
}

class Numbering : public FormSave {
protected:
    Rows Counters() {
        return database.Rows(
            "select relationid, field_1, field_2, field_3 from usertabb054 order by field_2, relationid");
    }
};

TEST_F(Numbering, SequenceStartsAtZeroAndWrapsAfterSevenNines) {
    Open();
    EXPECT_EQ(dialog->NextNumber("B811", "field_7"), "B811_700000000");
    EXPECT_EQ(Counters(), (Rows{{"10000001", "B811", "field_7", "1"}}));
    EXPECT_EQ(dialog->NextNumber("B811", "field_7"), "B811_700000001");
    EXPECT_EQ(Text(ids::kInternalNumberEdit), "B811_700000001");

    database.Exec("update usertabb054 set field_3=9999999");
    database.Exec("insert into usertabb054 values('99999999','B811','field_7',5)");
    EXPECT_EQ(dialog->NextNumber("B811", "field_7"), "B811_709999999");
    EXPECT_EQ(dialog->NextNumber("B811", "field_7"), "B811_700000001");
    EXPECT_EQ(dialog->NextNumber("B811", "field_12"), "B8111200000000");
    EXPECT_EQ(Counters(), (Rows{{"10000001", "B811", "field_12", "1"},
                                {"10000001", "B811", "field_7", "2"},
                                {"99999999", "B811", "field_7", "5"}}));
    EXPECT_EQ(Text(ids::kInternalNumberEdit), "B811_700000001");  // field_12 has no control
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(Numbering, FailureLeavesTheCounterAndGivesNoNumber) {
    Open();
    dialog->NextNumber("B811", "field_7");
    database.RefuseWrites("usertabb054", "update", "refused");
    EXPECT_EQ(dialog->NextNumber("B811", "field_7"), "");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_TRUE(messages.texts[0].starts_with("数据读写错，原因可能是")) << messages.texts[0];
    EXPECT_EQ(Counters(), (Rows{{"10000001", "B811", "field_7", "1"}}));
    EXPECT_EQ(Text(ids::kInternalNumberEdit), "B811_700000000");
}

TEST_F(Numbering, DefaultsFillTheControlsAndNumberMarkedColumns) {
    DefineForm({{"field_1", "C"},
                {"field_2", "C", "", "", "now"},
                {"field_3", "C", "", "", "女"},
                {"field_4", "D", "D", "", "now"},
                {"field_5", "D", "D", "", "tnow"},
                {"field_6", "D", "D", "", "1999-01-01"},
                {"field_7", "C", "", "", "", "1"},
                {"field_12", "C", "", "", "", "1"}});
    Open();
    Type(ids::kCodeEdit, "100001001");
    Type(ids::kPositionEdit, "typed");
    const DateTime before = DateTime::Now();
    dialog->SetNewRecordDefaults("B811");
    const DateTime after = DateTime::Now();
    EXPECT_EQ(Text(ids::kCodeEdit), "");
    EXPECT_EQ(Text(ids::kNameEdit), "now");
    EXPECT_EQ(Text(ids::kSexCombo), "女");
    EXPECT_EQ(Text(ids::kIdNumberEdit), after.Format("%Y-%m-%d"));
    EXPECT_TRUE(Text(ids::kDepartmentEdit) == before.Format("%Y-%m-%d %H:%M") ||
                Text(ids::kDepartmentEdit) == after.Format("%Y-%m-%d %H:%M"))
        << Text(ids::kDepartmentEdit);
    EXPECT_EQ(Text(ids::kPositionEdit), "typed");
    EXPECT_EQ(Text(ids::kInternalNumberEdit), "B811_700000000");
    // Adding a person draws the internal number once more; the control shows the second.
    dialog->NextNumber("B811", "field_7");
    EXPECT_EQ(Text(ids::kInternalNumberEdit), "B811_700000001");
    EXPECT_EQ(Counters(), (Rows{{"10000001", "B811", "field_7", "2"}}));
}

}  // namespace
}  // namespace keltrov::test
