// Moving persons by dragging tree items, through the mouse events a person's drag sends.
#include <wx/treectrl.h>

#include "host/automation/actions.hpp"
#include "tests/dialog/dialog_fixture.hpp"

namespace keltrov::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using automation::TreeDrag;

class Drag : public DialogTest {
protected:
    void SetUp() override {
        UseDemoData();
        Open();
        Tree().ExpandAll();
    }
    void DragOnto(const std::string& source, const std::string& target) {
        TreeDrag drag(*dialog, "#" + source);
        drag.MoveOver("#" + target);
        drag.Release();
    }
    Rows Persons() { return database.Rows("select field_1, field_2, field_5 from usertabb811 order by field_1"); }
};

TEST_F(Drag, APersonTakesTheTargetsNextCodeAndKeepsTheRest) {
    DragOnto("100001002", "100002");
    EXPECT_EQ(database.Rows("select field_1, field_2, field_5, field_7 from usertabb811 where field_2='王芳'"),
              (Rows{{"100002003", "王芳", "财务部", "0002"}}));
    EXPECT_EQ(TreeShape(),
              "100(100001(100001001),100002(100002001,100002002,100002003)),101(101001(101001001,101001002))");
    // Wage rows stay under the old code.
    EXPECT_EQ(database.Rows("select count(*) from usertabb812 where field_1='100001002'")[0][0], "2");
    EXPECT_FALSE(wxWindow::GetCapture());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(Drag, ADepartmentsPersonsAreFlattenedUnderTheTargetAndTheTreeReloaded) {
    DragOnto("100001", "101");
    EXPECT_EQ(Persons(), (Rows{{"100002001", "李娜", "人事部"},
                               {"100002002", "刘洋", "人事部"},
                               {"101001001", "陈静", "营业部"},
                               {"101001002", "杨磊", "营业部"},
                               {"101002", "张伟", "财务部"},
                               {"101003", "王芳", "财务部"}}));
    // The department stays at its place without its persons; they now stand under the company.
    EXPECT_EQ(TreeShape(), "100(100001,100002(100002001,100002002)),101(101001(101001001,101001002),101002,101003)");
}

TEST_F(Drag, NothingMovesOntoItselfItsSubtreeEmptySpaceOrOutside) {
    const Rows before = Persons();
    const std::string shape = TreeShape();
    DragOnto("100", "100001001");
    DragOnto("100001", "100001");
    {
        TreeDrag drag(*dialog, "#100001001");
        drag.MoveOver("#100002");
        drag.MoveOutside();
        drag.Release();
    }
    EXPECT_EQ(Persons(), before);
    EXPECT_EQ(TreeShape(), shape);
}

TEST_F(Drag, AFailureInTheMiddleMovesNothingAndAFullSegmentIsRefused) {
    database.RefuseWrites("usertabb811", "update", "refused", "old.field_2 = '刘洋'");
    const Rows before = Persons();
    DragOnto("100002", "101001");
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_NE(messages.texts[0].find("refused"), std::string::npos) << messages.texts[0];
    EXPECT_EQ(Persons(), before);
    database.Exec("insert into usertabb811 (relationid, field_1, field_2) values('10000001', '101001998', 'x')");
    DragOnto("100001", "101001");  // two persons after 998: the segment ends at 999
    EXPECT_EQ(messages.texts.back(), "编号已用完");
    EXPECT_EQ(database.Rows("select count(*) from usertabb811 where field_1 like '100001%'")[0][0], "2");
}

TEST_F(Drag, HundredsOfPersonsTwoOfThemWithOneCodeEachTakeACodeOfTheirOwn) {
    database.Exec(
        "insert into usertabb811 (relationid, field_1, field_2, field_5) with recursive n(i) as (select 100 union all "
        "select i + 1 from n where i < 549) select '10000001', '100001' || i, '职员' || i, '财务部' from n");
    database.Exec("insert into usertabb811 (relationid, field_1, field_2) values('10000001', '100001100', '同号')");
    DragOnto("100001", "100002");
    EXPECT_TRUE(messages.texts.empty());
    // 453 persons after 100002002: each code once, the names and other columns as they were.
    const Rows moved = database.Rows(
        "select count(*), count(distinct field_1), min(field_1), max(field_1), count(distinct field_2) "
        "from usertabb811 where field_1 like '100002%' and field_1 > '100002002'");
    EXPECT_EQ(moved, (Rows{{"453", "453", "100002003", "100002455", "453"}}));
    EXPECT_EQ(database.Rows("select count(*) from usertabb811 where field_1 like '100001%'")[0][0], "0");
    EXPECT_EQ(database.Rows("select field_5 from usertabb811 where field_2 = '职员549'"), (Rows{{"财务部"}}));
}

}  // namespace
}  // namespace keltrov::test
