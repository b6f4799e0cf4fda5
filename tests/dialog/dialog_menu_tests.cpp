// Context menus by node kind, the pick-list insert, and the dialog run the way indlg runs it.
#include <wx/grid.h>
#include <wx/menu.h>

#include "entry/host_state.hpp"
#include "entry/plugin_app.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/seam.hpp"
#include "platform/ui/tree_items.hpp"
#include "platform/ui/window_text.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"

namespace keltrov::test {
namespace {

class Menus : public DialogTest {
protected:
    Menus()
        : m_recording(SetPopupMenuHandler, [this](wxWindow&, wxMenu& menu, const wxPoint&) {
              std::vector<std::string> entries;
              for (const wxMenuItem* item : menu.GetMenuItems()) {
                  entries.push_back(item->IsSeparator() ? "-" : FromWx(item->GetItemLabelText()));
              }
              shown.push_back(entries);
          }) {}

    void RightClick(const wxPoint& screenPoint) {
        wxContextMenuEvent event(wxEVT_CONTEXT_MENU, ids::kOrganisationTree, screenPoint);
        dialog->GetEventHandler()->ProcessEvent(event);
    }
    wxPoint MiddleOf(int id) {
        const wxRect rect = Control(id).GetScreenRect();
        return rect.GetPosition() + wxSize(rect.width / 2, rect.height / 2);
    }

    std::vector<std::vector<std::string>> shown;

private:
    ScopedHandler<PopupMenuHandler> m_recording;
};

using Entries = std::vector<std::string>;

TEST_F(Menus, TreeMenuOffersWhatTheSelectedKindTakes) {
    UseDemoData();
    Open();
    RightClick(MiddleOf(ids::kOrganisationTree));
    Select("100");
    RightClick(MiddleOf(ids::kOrganisationTree));
    Select("100001");
    RightClick(MiddleOf(ids::kOrganisationTree));
    Select("100001001");
    RightClick(MiddleOf(ids::kOrganisationTree));
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], (Entries{"增加公司", "-", "删除"}));
    EXPECT_EQ(shown[1], (Entries{"增加部门", "增加公司", "-", "删除"}));
    EXPECT_EQ(shown[2], (Entries{"增加人员", "增加部门", "-", "删除"}));
    EXPECT_EQ(shown[3], shown[2]);
    EXPECT_EQ(GetItemString(Tree(), Tree().GetSelection()), "100001001");
}

TEST_F(Menus, SheetGetsTheFillAndExportMenuAndElsewhereNothingShows) {
    UseDemoData();
    Open();
    RightClick(MiddleOf(ids::kWageSheet));
    RightClick(wxDefaultPosition);  // from the keyboard
    RightClick(MiddleOf(ids::kNameEdit));
    // The menu key in the sheet reaches the dialog through the sheet, still without a position.
    wxWindow* cells = wxStaticCast(&Control(ids::kWageSheet), sheet::SheetControl)->GetGrid()->GetGridWindow();
    wxContextMenuEvent key(wxEVT_CONTEXT_MENU, cells->GetId(), wxDefaultPosition);
    key.SetEventObject(cells);
    cells->GetEventHandler()->ProcessEvent(key);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], (Entries{"填充", "导出…", "打印…"}));
}

TEST_F(Menus, InsertListStoresTheFieldTextAndMarksTheColumn) {
    UseDemoData();
    Open();
    Command(ids::kInsertListCommand);  // no field chosen
    dialog->SetMenuFieldIndex(5);
    Command(ids::kInsertListCommand);  // empty field: nothing, not even a message
    EXPECT_TRUE(messages.texts.empty());

    SetWindowText(Control(ids::kPositionEdit), "出纳's");
    Command(ids::kInsertListCommand);
    Command(ids::kInsertListCommand);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"插入完成 ", "插入完成 "}));
    EXPECT_EQ(database.Rows("select relationid, field_1, field_2, field_3, field_4 from usertabb001"),
              (std::vector<std::vector<std::string>>(2, {"10000001", "B811", "field_6", "0", "出纳's"})));
    EXPECT_EQ(database.Rows("select field_6 from usertabb200 where field_2='field_6'"),
              (std::vector<std::vector<std::string>>{{"C"}}));
}

TEST_F(Menus, InsertListFailureIsReportedWithoutSuccess) {
    UseDemoData();
    Open();
    database.Exec("drop table usertabb001");
    dialog->SetMenuFieldIndex(1);
    SetWindowText(Control(ids::kNameEdit), "张");
    Command(ids::kInsertListCommand);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0].rfind("数据读写错，原因可能是", 0), 0u) << messages.texts[0];
    EXPECT_EQ(database.Rows("select field_6 from usertabb200 where field_2='field_2'"),
              (std::vector<std::vector<std::string>>{{""}}));
}

TEST_F(Menus, IndlgBuildsAFreshDialogEachTime) {
    UseDemoData();
    std::vector<size_t> treeSizes;
    {
        const ScopedHandler closing(SetDialogShownHandler, [&treeSizes](wxDialog& shown) {
            treeSizes.push_back(wxStaticCast(shown.FindWindow(ids::kOrganisationTree), wxTreeCtrl)->GetCount());
            shown.EndModal(wxID_CANCEL);
        });
        RunPayrollDialog();
        database.Exec("insert into usertabb810 values('10000001',getdate(),'102','新公司')");
        RunPayrollDialog();
    }
    EXPECT_EQ(treeSizes, (std::vector<size_t>{11, 12}));
}

}  // namespace
}  // namespace keltrov::test
