// Opening the dialog: what initialisation leaves on screen with and without its host rows.
#include <wx/app.h>
#include <wx/datectrl.h>
#include <wx/grid.h>

#include "entry/host_state.hpp"
#include "platform/ui/window_text.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"

namespace keltrov::test {
namespace {

using Init = DialogTest;

TEST_F(Init, DemoDatabaseFillsTreeFormSheetAndFocusChain) {
    UseDemoData();
    Open();
    EXPECT_EQ(TreeShape(),
              "100(100001(100001001,100001002),100002(100002001,100002002)),101(101001(101001001,101001002))");
    EXPECT_EQ(Tree().GetItemText(FindNode("100")), wxString::FromUTF8("总公司"));
    ASSERT_NE(dialog->GetBindings(), nullptr);
    EXPECT_EQ(dialog->GetBindings()->size(), 7u);
    EXPECT_EQ(ComboItems(ids::kSexCombo), (std::vector<std::string>{"女", "男"}));
    EXPECT_EQ(Sheet().GetCellFormula(6, 14), "SUM(E6:M6)");
    EXPECT_EQ(dialog->GetNextRow(), 6);
    EXPECT_EQ(dialog->GetRowCapacity(), 50);
    EXPECT_TRUE(messages.texts.empty());

    const std::vector<int> cycle{ids::kNameEdit,
                                 ids::kSexCombo,
                                 ids::kIdNumberEdit,
                                 ids::kDepartmentEdit,
                                 ids::kPositionEdit,
                                 ids::kSaveButton,
                                 ids::kOrganisationTree,
                                 ids::kModifyButton,
                                 ids::kWageSheet,
                                 ids::kRefreshWagesButton,
                                 ids::kWageDatePicker,
                                 ids::kSaveWagesButton,
                                 ids::kGenerateWagesButton,
                                 ids::kRefreshTreeButton};
    const auto& chain = dialog->GetFocusChain();
    for (size_t k = 0; k < chain.size(); ++k) ASSERT_EQ(chain[k], cycle[k % cycle.size()]) << "entry " << k;
    EXPECT_EQ(dialog->GetFirstFocusIndex(), 0);
    EXPECT_EQ(dialog->GetLastFocusIndex(), 5);

    const wxDateTime shown = wxStaticCast(&Control(ids::kWageDatePicker), wxDatePickerCtrl)->GetValue();
    EXPECT_TRUE(shown.IsSameDate(wxDateTime::Today()));
}

TEST_F(Init, OpeningSelectsNothingAndLoadsNoWages) {
    UseDemoData();
    Open();
    for (int i = 0; i < 5; ++i) wxTheApp->Yield(true);
    EXPECT_FALSE(Tree().GetSelection().IsOk());
    EXPECT_EQ(dialog->GetNextRow(), 6);
    EXPECT_EQ(Sheet().GetCellText(6, 1), "");
}

TEST_F(Init, EmptyOrganisationStillGetsTheTemplateAndTheFocusChain) {
    UseDemoData();
    database.Exec("delete from usertabb810");
    database.Exec("delete from usertabb811");
    Open();
    EXPECT_EQ(TreeShape(), "");
    EXPECT_NE(Sheet().GetCellText(5, 26), "未用");
    EXPECT_EQ(Sheet().GetCellFormula(6, 14), "SUM(E6:M6)");
    EXPECT_EQ(dialog->GetNextRow(), 6);
    EXPECT_EQ(dialog->GetFocusChain()[0], ids::kNameEdit);
}

TEST_F(Init, WithoutTemplateTheSheetKeepsItsDesignTimeCaptions) {
    UseDemoData();
    database.Exec("delete from privatevba");
    Open();
    EXPECT_NE(TreeShape(), "");
    EXPECT_EQ(Sheet().GetCellText(5, 2), "姓名");
    EXPECT_EQ(dialog->GetFocusChain()[1], 0);
    // Loading a node then brings back the design-time sheet with the rows, never the template.
    Select("100001");
    EXPECT_EQ(Sheet().GetCellText(5, 3), "部门");
    EXPECT_EQ(Sheet().GetCellText(6, 1), "100001001");
    Select("101");
    EXPECT_EQ(Sheet().GetCellText(6, 1), "101001001");
    EXPECT_EQ(Sheet().GetCellText(8, 1), "");
}

TEST_F(Init, EmptyTemplateCountsAsNone) {
    UseDemoData();
    database.Db().ExecuteSQLWithBytes("update privatevba set vbacode = ?", {});
    Open();
    EXPECT_EQ(Sheet().GetCellText(5, 1), "编号");
    EXPECT_EQ(dialog->GetNextRow(), 0);
}

TEST_F(Init, UnreadableTemplateIsReportedAndTheDialogStaysUsable) {
    UseDemoData();
    database.Db().ExecuteSQLWithBytes("update privatevba set vbacode = ?", {0x00, 0x01, 0x02, 0x03});
    Open();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_FALSE(messages.texts[0].empty());
    Select("100001001");
    EXPECT_EQ(Text(ids::kNameEdit), "张伟");
}

TEST_F(Init, MissingFormDefinitionAsksForItAndLeavesTheFormUnbound) {
    UseDemoData();
    database.Exec("delete from usertabb200");
    Open();
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"请生成B811表的操作信息,再运行本程序"}));
    EXPECT_EQ(dialog->GetBindings(), nullptr);
    Select("100001001");
    EXPECT_EQ(Text(ids::kNameEdit), "");
    EXPECT_EQ(Sheet().GetCellText(6, 1), "100001001");
}

TEST_F(Init, EachDialogRereadsTheDatabase) {
    UseDemoData();
    Open();
    database.Exec("insert into usertabb810 values('10000001',getdate(),'102','新公司')");
    Open();
    EXPECT_NE(FindNode("102"), wxTreeItemId());
}

// Tab as the toolkit delivers it: a char hook on the focused window, going up to the dialog.
// Whether it was taken tells if the focused control gets the key for itself.
bool PressTab(bool shift) {
    wxWindow* focus = wxWindow::FindFocus();
    if (focus == nullptr) return false;
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = WXK_TAB;
    event.m_shiftDown = shift;
    event.SetEventObject(focus);
    return focus->ProcessWindowEvent(event);
}

TEST_F(Init, TabMovesBetweenTheControlsAndNeverIntoTheirParts) {
    UseDemoData();
    Open();
    const auto focusedId = [] { return wxWindow::FindFocus() == nullptr ? 0 : wxWindow::FindFocus()->GetId(); };
    Control(ids::kSexCombo).SetFocus();
    ASSERT_EQ(focusedId(), ids::kSexCombo);
    EXPECT_TRUE(PressTab(false));
    EXPECT_EQ(focusedId(), ids::kIdNumberEdit);
    EXPECT_TRUE(PressTab(true));
    EXPECT_EQ(focusedId(), ids::kSexCombo);
    Control(ids::kWageDatePicker).SetFocus();
    EXPECT_TRUE(PressTab(false));
    EXPECT_EQ(focusedId(), ids::kSaveWagesButton);
    Control(ids::kRefreshTreeButton).SetFocus();
    EXPECT_TRUE(PressTab(false));
    EXPECT_EQ(focusedId(), ids::kNameEdit);

    // In the sheet Tab stays with the grid, which moves between cells.
    wxGrid* grid = wxStaticCast(&Control(ids::kWageSheet), sheet::SheetControl)->GetGrid();
    grid->SetFocus();
    ASSERT_EQ(wxWindow::FindFocus(), grid);
    EXPECT_FALSE(PressTab(false));
    EXPECT_EQ(wxWindow::FindFocus(), grid);
}

}  // namespace
}  // namespace keltrov::test
