// Codes that stay with one person, writes that stay whole after the database refused one, and
// writes that meet another connection's lock, through the real dialog.
#include <wx/treectrl.h>

#include <functional>
#include <optional>

#include "data/period_key.hpp"
#include "entry/host_state.hpp"
#include "host/automation/actions.hpp"
#include "platform/db/database.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/datetime.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"
#include "tests/dialog/modal_answers.hpp"

namespace keltrov::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kBusyMessage = "数据读写错，原因可能是数据库正被其他用户使用，请稍后再试";

// A name for the name dialog, typed after another user has stored a row meanwhile.
struct NameAfter {
    std::string name;
    std::function<void()> meanwhile;
};

ModalAnswer AnswerFor(const NameAfter& entry) {
    entry.meanwhile();
    return test::AnswerFor(std::optional<std::string>(entry.name));
}

class Integrity : public DialogTest {
protected:
    void SetUp() override { UseDemoData(); }
    std::string ThisMonth() { return GetPeriodKey(DateTime::Now(), "B812"); }
    Rows Codes(const std::string& table, const std::string& like) {
        return database.Rows("select field_1 from " + table + " where field_1 like '" + like + "' order by field_1");
    }
    // A second connection to the same file, as another clerk's host has.
    std::unique_ptr<db::CDatabase> OtherClerk() {
        auto other = std::make_unique<db::CDatabase>();
        other->OpenEx(database.ConnectString());
        return other;
    }
};

TEST_F(Integrity, ACodeWithWageRowsIsNeverHandedOutAgain) {
    Open();
    Select("100001002");  // the highest person of 财务部, with two months of wages
    Command(ids::kDeleteNodeCommand);
    Select("100001");
    Command(ids::kAddPersonCommand);
    EXPECT_EQ(Text(ids::kCodeEdit), "100001003");
    // A department whose persons had wages, and a company, keep their codes as well.
    Select("100002");
    Command(ids::kDeleteNodeCommand);
    Select("101");
    Command(ids::kDeleteNodeCommand);
    NameAnswers names;
    names.queue = {"新部门", "新公司"};
    Select("100");
    Command(ids::kAddDepartmentCommand);
    Command(ids::kAddCompanyCommand);
    EXPECT_EQ(Codes("usertabb810", "%"), (Rows{{"100"}, {"100001"}, {"100003"}, {"102"}}));
}

TEST_F(Integrity, ACodeTakenMeanwhileMovesTheNewPersonToTheNextFreeCode) {
    Open();
    Select("100001");
    Command(ids::kAddPersonCommand);
    ASSERT_EQ(Text(ids::kCodeEdit), "100001003");
    database.Exec("insert into usertabb811 (relationid, field_1, field_2) values('10000001', '100001003', '别人')");
    SetWindowText(Control(ids::kNameEdit), "赵六");
    Click(ids::kSaveButton);
    EXPECT_EQ(database.Rows("select field_1, field_2 from usertabb811 where field_1 like '100001%' order by 1"),
              (Rows{{"100001001", "张伟"}, {"100001002", "王芳"}, {"100001003", "别人"}, {"100001004", "赵六"}}));
    EXPECT_EQ(Text(ids::kCodeEdit), "100001004");
    EXPECT_EQ(FromWx(Tree().GetItemText(FindNode("100001004"))), "赵六");
}

TEST_F(Integrity, ADepartmentTakenMeanwhileMovesTheNewOneToTheNextFreeCode) {
    Open();
    Select("100");
    QueuedAnswers<NameAfter> names;
    names.queue = {{"新部门", [&] {
                        database.Exec("insert into usertabb810 values('10000001', getdate(), '100003', '别人的部门')");
                    }}};
    Command(ids::kAddDepartmentCommand);
    EXPECT_EQ(database.Rows("select field_1, field_2 from usertabb810 where field_1 like '10000_' order by 1"),
              (Rows{{"100001", "财务部"}, {"100002", "人事部"}, {"100003", "别人的部门"}, {"100004", "新部门"}}));
    EXPECT_TRUE(FindNode("100004").IsOk());
}

TEST_F(Integrity, ARefusedNewPersonStaysReadyToBeSavedAgain) {
    database.RefuseWrites("usertabb811", "insert", "refused");
    Open();
    Select("100001");
    Command(ids::kAddPersonCommand);
    SetWindowText(Control(ids::kNameEdit), "赵六");
    Click(ids::kSaveButton);
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_NE(messages.texts[0].find("refused"), std::string::npos) << messages.texts[0];
    EXPECT_TRUE(Control(ids::kSaveButton).IsEnabled());
    database.AllowWrites("usertabb811", "insert");
    Click(ids::kSaveButton);
    EXPECT_EQ(database.Rows("select field_2 from usertabb811 where field_1='100001003'"), (Rows{{"赵六"}}));
    EXPECT_TRUE(FindNode("100001003").IsOk());
    EXPECT_FALSE(Control(ids::kSaveButton).IsEnabled());
}

TEST_F(Integrity, APersonDraggedWithPersonsUnderItShowsTheTablesAsTheyNowStand) {
    database.Exec("insert into usertabb811 (relationid, field_1, field_2) values('10000001', '100001001001', '下属')");
    Open();
    Tree().ExpandAll();
    automation::TreeDrag drag(*dialog, "#100001001");
    drag.MoveOver("#101001");
    drag.Release();
    EXPECT_EQ(database.Rows("select field_1, field_2 from usertabb811 where field_1 like '101001%' order by 1"),
              (Rows{{"101001001", "陈静"}, {"101001002", "杨磊"}, {"101001003", "张伟"}, {"101001004", "下属"}}));
    // Every item shows the person its code stands for.
    EXPECT_EQ(FromWx(Tree().GetItemText(FindNode("101001003"))), "张伟");
    EXPECT_EQ(FromWx(Tree().GetItemText(FindNode("101001004"))), "下属");
}

TEST_F(Integrity, AFullDatabaseLeavesLaterWritesWhole) {
    Open();
    Select("100001");
    const Rows before = database.Rows("select * from usertabb812 order by relationid, field_1");
    // Names too long for the pages left: the save needs pages the database may not take.
    Sheet().SetCellText(6, 2, std::string(20000, 'x'));
    Sheet().SetCellText(7, 2, std::string(20000, 'y'));
    const std::string pages = database.Rows("pragma page_count")[0][0];
    database.Exec("pragma max_page_count=" + pages);
    Click(ids::kSaveWagesButton);
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_NE(messages.texts[0].find("full"), std::string::npos) << messages.texts[0];
    EXPECT_EQ(database.Rows("select * from usertabb812 order by relationid, field_1"), before);

    // The next write that fails half-way leaves nothing either: it is still one transaction.
    database.Exec("pragma max_page_count=1000000");
    database.RefuseWrites("usertabb812", "insert", "refused", "new.field_1 = '100001002'");
    messages.texts.clear();
    Click(ids::kSaveWagesButton);
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_NE(messages.texts[0].find("refused"), std::string::npos) << messages.texts[0];
    EXPECT_EQ(database.Rows("select * from usertabb812 order by relationid, field_1"), before);

    database.AllowWrites("usertabb812", "insert");
    messages.texts.clear();
    Click(ids::kSaveWagesButton);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"保存完成"}));
    EXPECT_EQ(database.Rows("select length(field_2) from usertabb812 where relationid='" + ThisMonth() +
                            "' and field_1 like '100001%' order by field_1"),
              (Rows{{"20000"}, {"20000"}}));
}

TEST_F(Integrity, AReadOnlyDatabaseRefusesTheSaveWithItsReasonAndStoresNothing) {
    Open();
    Select("100001");
    const Rows before = database.Rows("select * from usertabb812 order by relationid, field_1");
    database.Exec("pragma query_only=1");
    Sheet().SetCellNumber(6, 5, 1);
    Click(ids::kSaveWagesButton);
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_NE(messages.texts[0].find("readonly"), std::string::npos) << messages.texts[0];
    database.Exec("pragma query_only=0");
    EXPECT_EQ(database.Rows("select * from usertabb812 order by relationid, field_1"), before);
}

TEST_F(Integrity, AWriteThatMeetsAnotherClerksWriteWaitsThenFailsWithNothingStored) {
    Open();
    Select("100001");
    const Rows before = database.Rows("select * from usertabb812 order by relationid, field_1");
    auto other = OtherClerk();
    ASSERT_TRUE(other->BeginTrans());
    other->ExecuteSQL("update usertabb810 set field_2='锁' where field_1='100'");
    Sheet().SetCellNumber(6, 5, 1);
    Click(ids::kSaveWagesButton);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{kBusyMessage}));
    ASSERT_TRUE(other->Rollback());
    EXPECT_EQ(database.Rows("select * from usertabb812 order by relationid, field_1"), before);
    // Once the other clerk is done, the same save goes through.
    messages.texts.clear();
    Click(ids::kSaveWagesButton);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"保存完成"}));
}

TEST_F(Integrity, AReadThatMeetsAnotherClerksLockSaysSoInWords) {
    Open();
    auto other = OtherClerk();
    other->ExecuteSQL("begin exclusive");  // what another clerk's commit holds while it writes
    Select("100001");
    other->ExecuteSQL("rollback");
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"数据库正被其他用户使用，请稍后再试"}));
}

}  // namespace
}  // namespace keltrov::test
