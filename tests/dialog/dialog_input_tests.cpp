// The person form's keyboard, the edit menus of its fields and the calendar of date fields,
// driven with the events a person's keys and clicks send.
#include <wx/calctrl.h>
#include <wx/clipbrd.h>
#include <wx/menu.h>
#include <wx/textentry.h>

#include <deque>
#include <optional>

#include "host/automation/actions.hpp"
#include "input/calendar_dlg.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/menu_ids.hpp"
#include "platform/ui/seam.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/datetime.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"

namespace keltrov::test {
namespace {

using Entries = std::vector<std::string>;

const Entries kFieldMenu{"插入列表", "删除", "拷贝", "粘贴"};
const Entries kDateFieldMenu{"插入当前时间", "删除", "拷贝", "粘贴"};

int FocusedId() {
    const wxWindow* focus = wxWindow::FindFocus();
    return focus == nullptr ? 0 : focus->GetId();
}

std::string ClipboardText() {
    wxTextDataObject data;
    wxClipboardLocker locker;
    if (!locker || !wxTheClipboard->IsSupported(wxDF_UNICODETEXT)) return {};
    wxTheClipboard->GetData(data);
    return FromWx(data.GetText());
}

void SetClipboardText(const std::string& text) {
    wxClipboardLocker locker;
    wxTheClipboard->SetData(new wxTextDataObject(ToWx(text)));
}

class InputAids : public DialogTest {
protected:
    InputAids()
        : m_menuAnswers(SetPopupMenuHandler,
                        [this](wxWindow& owner, wxMenu& menu, const wxPoint&) { AnswerMenu(owner, menu); }),
          m_calendarAnswers(SetModalHandler, [this](wxDialog& shown) { return AnswerCalendar(shown); }) {}
    void SetUp() override { UseDemoData(); }

    // The demo's form with 证件号 (field_4) a date column taking that default.
    void OpenWithDateColumn(const std::string& defaultText = "") {
        DefineForm({{"field_1", "C"},
                    {"field_2", "C"},
                    {"field_3", "C"},
                    {"field_4", "C", "D", "", defaultText},
                    {"field_5", "C"},
                    {"field_6", "C"},
                    {"field_7", "C"}});
        Open();
    }
    void Key(int id, const std::string& key) { automation::PressKey(*dialog, id, key); }
    void RightClick(int id) { automation::RightClick(*dialog, id); }
    void Choose(int id, int command) {
        choices.push_back(command);
        RightClick(id);
    }
    wxTextEntry& Entry(int id) { return *dynamic_cast<wxTextEntry*>(&Control(id)); }
    bool AllSelected(int id) {
        long from = 0;
        long to = 0;
        Entry(id).GetSelection(&from, &to);
        return from == 0 && to == Entry(id).GetLastPosition();
    }

    // The calendar's day to confirm, or none to cancel it.
    std::deque<std::optional<wxDateTime>> days;
    wxRect calendarRect;
    std::vector<Entries> menus;
    std::deque<int> choices;

private:
    void AnswerMenu(wxWindow& owner, wxMenu& menu) {
        Entries entries;
        for (const wxMenuItem* item : menu.GetMenuItems())
            entries.push_back(item->IsSeparator() ? "-" : FromWx(item->GetItemLabelText()));
        menus.push_back(entries);
        if (choices.empty()) return;
        wxCommandEvent choice(wxEVT_MENU, MenuItemId(choices.front()));
        choices.pop_front();
        choice.SetEventObject(&menu);
        owner.HandleWindowEvent(choice);
    }
    int AnswerCalendar(wxDialog& shown) {
        if (days.empty()) {
            ADD_FAILURE() << "a dialog came with no answer queued";
            return kIdCancel;
        }
        const std::optional<wxDateTime> day = days.front();
        days.pop_front();
        shown.CallAfter([this, &shown, day] {
            calendarRect = shown.GetScreenRect();
            if (day) dynamic_cast<wxCalendarCtrlBase&>(*shown.FindWindow(ids::kCalendar)).SetDate(*day);
            wxCommandEvent press(wxEVT_BUTTON, day ? kIdOk : kIdCancel);
            press.SetEventObject(shown.FindWindow(press.GetId()));
            shown.FindWindow(press.GetId())->HandleWindowEvent(press);
        });
        return shown.ShowModal();
    }
    ScopedHandler<PopupMenuHandler> m_menuAnswers;
    ScopedHandler<ModalHandler> m_calendarAnswers;
};

TEST_F(InputAids, EnterDownAndUpGoRoundTheFocusCycle) {
    Open();
    for (int id : {ids::kNameEdit, ids::kIdNumberEdit, ids::kDepartmentEdit, ids::kPositionEdit})
        SetWindowText(Control(id), "文字" + std::to_string(id));
    SetWindowText(Control(ids::kSexCombo), "男");
    struct Case {
        int from;
        const char* key;
        int to;
    };
    const std::vector<Case> cases{
        {ids::kNameEdit, "enter", ids::kSexCombo},
        {ids::kNameEdit, "down", ids::kSexCombo},
        {ids::kSexCombo, "enter", ids::kIdNumberEdit},
        {ids::kPositionEdit, "enter", ids::kSaveButton},
        {ids::kSaveButton, "down", ids::kNameEdit},
        {ids::kNameEdit, "up", ids::kSaveButton},
        {ids::kSexCombo, "up", ids::kNameEdit},
        {ids::kPositionEdit, "up", ids::kDepartmentEdit},
        // Outside the cycle Enter and Down are Tab: in the tree they leave it for the next control.
        {ids::kOrganisationTree, "down", ids::kModifyButton},
        {ids::kOrganisationTree, "enter", ids::kModifyButton},
        {ids::kSaveWagesButton, "down", ids::kGenerateWagesButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " " + c.key);
        Key(c.from, c.key);
        EXPECT_EQ(FocusedId(), c.to);
    }
    // The cycle's wrap and the Up moves select the whole text of the field reached.
    Key(ids::kSaveButton, "down");
    EXPECT_TRUE(AllSelected(ids::kNameEdit));
    Key(ids::kPositionEdit, "up");
    EXPECT_TRUE(AllSelected(ids::kDepartmentEdit));
    Key(ids::kIdNumberEdit, "up");
    EXPECT_TRUE(AllSelected(ids::kSexCombo));
}

TEST_F(InputAids, UpOutsideTheCycleIsLeftToTheControl) {
    Open();
    Select("100002");
    const wxTreeItemId before = Tree().GetPrevVisible(FindNode("100002"));
    Key(ids::kOrganisationTree, "up");
    EXPECT_EQ(FocusedId(), ids::kOrganisationTree);
    EXPECT_EQ(Tree().GetSelection(), before);
}

TEST_F(InputAids, AnOpenListKeepsItsKeys) {
    Open();
    const auto list = [this](wxEventType type) {
        wxCommandEvent event(type, ids::kSexCombo);
        event.SetEventObject(&Control(ids::kSexCombo));
        Control(ids::kSexCombo).HandleWindowEvent(event);
    };
    list(wxEVT_COMBOBOX_DROPDOWN);
    for (const char* key : {"enter", "down", "up"}) {
        Key(ids::kSexCombo, key);
        EXPECT_EQ(FocusedId(), ids::kSexCombo) << key;
    }
    list(wxEVT_COMBOBOX_CLOSEUP);
    Key(ids::kSexCombo, "enter");
    EXPECT_EQ(FocusedId(), ids::kIdNumberEdit);
}

TEST_F(InputAids, EnterOnSaveIsLeftToTheButton) {
    Open();
    Key(ids::kSaveButton, "enter");
    // The button was pressed: saving ends with it disabled.
    EXPECT_FALSE(Control(ids::kSaveButton).IsEnabled());
}

TEST_F(InputAids, EditMenusShowOnBoundFieldsOnly) {
    OpenWithDateColumn();
    for (int id : {ids::kNameEdit, ids::kSexCombo, ids::kIdNumberEdit, ids::kWageDatePicker, ids::kOrganisationTree,
                   ids::kSaveButton})
        RightClick(id);
    // The wage date picker is bound to no column, the tree shows its own menu and a button is no field.
    EXPECT_EQ(menus, (std::vector<Entries>{kFieldMenu, kFieldMenu, kDateFieldMenu, {"增加公司", "-", "删除"}}));

    DefineForm({{"field_1", "C"}, {"field_2", "C"}});
    Open();
    menus.clear();
    RightClick(ids::kNameEdit);
    RightClick(ids::kPositionEdit);  // beyond the definition's entries
    EXPECT_EQ(menus, (std::vector<Entries>{kFieldMenu}));
}

TEST_F(InputAids, ClipboardCommandsWorkOnTheFieldTheMenuWasOpenedFor) {
    Open();
    SetWindowText(Control(ids::kPositionEdit), "出纳主管");
    Entry(ids::kPositionEdit).SetSelection(0, 2);
    Choose(ids::kPositionEdit, ids::kEditCopyCommand);
    EXPECT_EQ(ClipboardText(), "出纳");
    Choose(ids::kPositionEdit, ids::kEditClearCommand);
    EXPECT_EQ(Text(ids::kPositionEdit), "主管");

    SetClipboardText("会计\n第二行");
    SetWindowText(Control(ids::kNameEdit), "张伟");
    Entry(ids::kNameEdit).SetSelection(0, 1);
    Choose(ids::kNameEdit, ids::kEditPasteCommand);
    EXPECT_EQ(Text(ids::kNameEdit), "会计伟");
    // The commands follow the field right-clicked last, wherever the focus is.
    Control(ids::kPositionEdit).SetFocus();
    Command(ids::kEditPasteCommand);
    EXPECT_EQ(Text(ids::kNameEdit), "会计会计伟");
    EXPECT_EQ(Text(ids::kPositionEdit), "主管");

    SetWindowText(Control(ids::kSexCombo), "女");
    Entry(ids::kSexCombo).SetSelection(0, 1);
    Choose(ids::kSexCombo, ids::kEditCopyCommand);
    EXPECT_EQ(ClipboardText(), "女");
    // No selection: nothing is copied or deleted.
    Entry(ids::kSexCombo).SetInsertionPointEnd();
    Choose(ids::kSexCombo, ids::kEditClearCommand);
    EXPECT_EQ(Text(ids::kSexCombo), "女");
}

TEST_F(InputAids, EditCommandsDoNothingWithoutAField) {
    Open();
    SetClipboardText("x");
    dialog->SetMenuFieldIndex(-1);
    Command(ids::kEditPasteCommand);
    Command(ids::kInsertTimeCommand);
    dialog->SetMenuFieldIndex(7);  // past the seven entries
    Command(ids::kEditPasteCommand);
    for (int id : {ids::kNameEdit, ids::kIdNumberEdit, ids::kDepartmentEdit, ids::kPositionEdit})
        EXPECT_EQ(Text(id), "") << id;
}

TEST_F(InputAids, AnUnboundFormHasNoMenusOrCalendarButKeepsItsKeys) {
    database.Exec("delete from usertabb200");
    Open();
    RightClick(ids::kNameEdit);
    automation::DoubleClick(*dialog, ids::kIdNumberEdit);
    EXPECT_TRUE(menus.empty());
    Key(ids::kPositionEdit, "enter");
    EXPECT_EQ(FocusedId(), ids::kSaveButton);
}

TEST_F(InputAids, WithoutAFocusChainEnterAndDownAreTabAndUpIsLeftAlone) {
    database.Exec("delete from privatevba");  // without a template the initialisation stops before the chain
    Open();
    Key(ids::kSaveButton, "down");
    EXPECT_EQ(FocusedId(), ids::kOrganisationTree);
    Key(ids::kIdNumberEdit, "up");
    EXPECT_EQ(FocusedId(), ids::kIdNumberEdit);
}

TEST_F(InputAids, InsertTimeWritesTheDateAndTheTimeForTnow) {
    for (const std::string defaultText : {"", "now", "tnow"}) {
        SCOPED_TRACE(defaultText);
        OpenWithDateColumn(defaultText);
        const char* format = defaultText == "tnow" ? "%Y-%m-%d %H:%M" : "%Y-%m-%d";
        const std::string before = DateTime::Now().Format(format);
        Choose(ids::kIdNumberEdit, ids::kInsertTimeCommand);
        const std::string after = DateTime::Now().Format(format);
        EXPECT_TRUE(Text(ids::kIdNumberEdit) == before || Text(ids::kIdNumberEdit) == after)
            << Text(ids::kIdNumberEdit);
    }
}

TEST_F(InputAids, CalendarPositionStaysOnTheScreen) {
    struct Case {
        wxPoint corner;
        wxPoint position;
    };
    const wxSize screen(1024, 768);
    const std::vector<Case> cases{
        {{100, 100}, {100, 100}},  // over the field
        {{664, 518}, {664, 518}},  // exactly room enough on both sides
        {{665, 100}, {664, 100}},  // right edge: 360 pixels from it
        {{100, 519}, {100, 498}},  // bottom: 270 pixels above it once less than 250 remain
        {{1000, 760}, {664, 498}},
    };
    for (const Case& c : cases) EXPECT_EQ(CalendarPosition(c.corner, screen), c.position) << c.corner.x;
}

TEST_F(InputAids, DoubleClickOnADateFieldTakesTheCalendarsDay) {
    OpenWithDateColumn();
    SetWindowText(Control(ids::kIdNumberEdit), "旧");
    days = {wxDateTime(5, wxDateTime::Mar, 2006), std::nullopt};
    automation::DoubleClick(*dialog, ids::kIdNumberEdit);
    EXPECT_EQ(Text(ids::kIdNumberEdit), "2006-03-05");
    const wxPoint corner = Control(ids::kIdNumberEdit).ClientToScreen(wxPoint(0, 0));
    EXPECT_EQ(calendarRect, wxRect(CalendarPosition(corner, wxGetDisplaySize()), wxSize(355, 215)));
    // Cancel writes nothing.
    automation::DoubleClick(*dialog, ids::kIdNumberEdit);
    EXPECT_EQ(Text(ids::kIdNumberEdit), "2006-03-05");
    EXPECT_TRUE(days.empty());
    // Other fields have no calendar; the modal handler fails the test if one comes.
    automation::DoubleClick(*dialog, ids::kNameEdit);
    automation::DoubleClick(*dialog, ids::kSexCombo);
}

}  // namespace
}  // namespace keltrov::test
