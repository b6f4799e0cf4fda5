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
#include "platform/ui/window_text.hpp"
#include "platform/util/datetime.hpp"
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
    InputAids() {
        m_previousPopup = SetPopupMenuHandler([this](wxWindow& owner, wxMenu& menu, const wxPoint&) {
            Entries entries;
            for (const wxMenuItem* item : menu.GetMenuItems())
                entries.push_back(item->IsSeparator() ? "-" : FromWx(item->GetItemLabelText()));
            menus.push_back(entries);
            if (choices.empty()) return;
            wxCommandEvent choice(wxEVT_MENU, MenuItemId(choices.front()));
            choices.pop_front();
            choice.SetEventObject(&menu);
            owner.HandleWindowEvent(choice);
        });
        m_previousModal = SetModalHandler([this](wxDialog& shown) { return AnswerCalendar(shown); });
    }
    ~InputAids() override {
        SetPopupMenuHandler(m_previousPopup);
        SetModalHandler(m_previousModal);
    }
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
    int AnswerCalendar(wxDialog& shown) {
        if (days.empty()) {
            ADD_FAILURE() << "a dialog came with no answer queued";
            return kIdCancel;
        }
        const std::optional<wxDateTime> day = days.front();
        days.pop_front();
        shown.CallAfter([this, &shown, day] {
            calendarRect = shown.GetScreenRect();
            if (day) dynamic_cast<wxCalendarCtrlBase&>(*shown.FindWindow(1075)).SetDate(*day);
            wxCommandEvent press(wxEVT_BUTTON, day ? kIdOk : kIdCancel);
            press.SetEventObject(shown.FindWindow(press.GetId()));
            shown.FindWindow(press.GetId())->HandleWindowEvent(press);
        });
        return shown.ShowModal();
    }
    PopupMenuHandler m_previousPopup;
    ModalHandler m_previousModal;
};

TEST_F(InputAids, EnterDownAndUpGoRoundTheFocusCycle) {
    Open();
    for (int id : {1005, 1007, 1008, 1009}) SetWindowText(Control(id), "文字" + std::to_string(id));
    SetWindowText(Control(8000), "男");
    struct Case {
        int from;
        const char* key;
        int to;
    };
    const std::vector<Case> cases{
        {1005, "enter", 8000},
        {1005, "down", 8000},
        {8000, "enter", 1007},
        {1009, "enter", 8001},
        {8001, "down", 1005},
        {1005, "up", 8001},
        {8000, "up", 1005},
        {1009, "up", 1008},
        // Outside the cycle Enter and Down are Tab: in the tree they leave it for the next control.
        {4001, "down", 8002},
        {4001, "enter", 8002},
        {8006, "down", 8007},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " " + c.key);
        Key(c.from, c.key);
        EXPECT_EQ(FocusedId(), c.to);
    }
    // The cycle's wrap and the Up moves select the whole text of the field reached.
    Key(8001, "down");
    EXPECT_TRUE(AllSelected(1005));
    Key(1009, "up");
    EXPECT_TRUE(AllSelected(1008));
    Key(1007, "up");
    EXPECT_TRUE(AllSelected(8000));
}

TEST_F(InputAids, UpOutsideTheCycleIsLeftToTheControl) {
    Open();
    Select("100002");
    const wxTreeItemId before = Tree().GetPrevVisible(FindNode("100002"));
    Key(4001, "up");
    EXPECT_EQ(FocusedId(), 4001);
    EXPECT_EQ(Tree().GetSelection(), before);
}

TEST_F(InputAids, AnOpenListKeepsItsKeys) {
    Open();
    const auto list = [this](wxEventType type) {
        wxCommandEvent event(type, 8000);
        event.SetEventObject(&Control(8000));
        Control(8000).HandleWindowEvent(event);
    };
    list(wxEVT_COMBOBOX_DROPDOWN);
    for (const char* key : {"enter", "down", "up"}) {
        Key(8000, key);
        EXPECT_EQ(FocusedId(), 8000) << key;
    }
    list(wxEVT_COMBOBOX_CLOSEUP);
    Key(8000, "enter");
    EXPECT_EQ(FocusedId(), 1007);
}

TEST_F(InputAids, EnterOnSaveIsLeftToTheButton) {
    Open();
    Key(8001, "enter");
    // The button was pressed: saving ends with it disabled.
    EXPECT_FALSE(Control(8001).IsEnabled());
}

TEST_F(InputAids, EditMenusShowOnBoundFieldsOnly) {
    OpenWithDateColumn();
    for (int id : {1005, 8000, 1007, 8005, 4001, 8001}) RightClick(id);
    // 8005 is bound to no column, the tree shows its own menu and a button is no field.
    EXPECT_EQ(menus, (std::vector<Entries>{kFieldMenu, kFieldMenu, kDateFieldMenu, {"增加公司", "-", "删除"}}));

    DefineForm({{"field_1", "C"}, {"field_2", "C"}});
    Open();
    menus.clear();
    RightClick(1005);
    RightClick(1009);  // beyond the definition's entries
    EXPECT_EQ(menus, (std::vector<Entries>{kFieldMenu}));
}

TEST_F(InputAids, ClipboardCommandsWorkOnTheFieldTheMenuWasOpenedFor) {
    Open();
    SetWindowText(Control(1009), "出纳主管");
    Entry(1009).SetSelection(0, 2);
    Choose(1009, 57634);
    EXPECT_EQ(ClipboardText(), "出纳");
    Choose(1009, 57632);
    EXPECT_EQ(Text(1009), "主管");

    SetClipboardText("会计\n第二行");
    SetWindowText(Control(1005), "张伟");
    Entry(1005).SetSelection(0, 1);
    Choose(1005, 57637);
    EXPECT_EQ(Text(1005), "会计伟");
    // The commands follow the field right-clicked last, wherever the focus is.
    Control(1009).SetFocus();
    Command(57637);
    EXPECT_EQ(Text(1005), "会计会计伟");
    EXPECT_EQ(Text(1009), "主管");

    SetWindowText(Control(8000), "女");
    Entry(8000).SetSelection(0, 1);
    Choose(8000, 57634);
    EXPECT_EQ(ClipboardText(), "女");
    // No selection: nothing is copied or deleted.
    Entry(8000).SetInsertionPointEnd();
    Choose(8000, 57632);
    EXPECT_EQ(Text(8000), "女");
}

TEST_F(InputAids, EditCommandsDoNothingWithoutAField) {
    Open();
    SetClipboardText("x");
    dialog->SetMenuFieldIndex(-1);
    Command(57637);
    Command(32777);
    dialog->SetMenuFieldIndex(7);  // past the seven entries
    Command(57637);
    for (int id : {1005, 1007, 1008, 1009}) EXPECT_EQ(Text(id), "") << id;
}

TEST_F(InputAids, AnUnboundFormHasNoMenusOrCalendarButKeepsItsKeys) {
    database.Exec("delete from usertabb200");
    Open();
    RightClick(1005);
    automation::DoubleClick(*dialog, 1007);
    EXPECT_TRUE(menus.empty());
    Key(1009, "enter");
    EXPECT_EQ(FocusedId(), 8001);
}

TEST_F(InputAids, WithoutAFocusChainEnterAndDownAreTabAndUpIsLeftAlone) {
    database.Exec("delete from privatevba");  // without a template the initialisation stops before the chain
    Open();
    Key(8001, "down");
    EXPECT_EQ(FocusedId(), 4001);
    Key(1007, "up");
    EXPECT_EQ(FocusedId(), 1007);
}

TEST_F(InputAids, InsertTimeWritesTheDateAndTheTimeForTnow) {
    for (const std::string defaultText : {"", "now", "tnow"}) {
        SCOPED_TRACE(defaultText);
        OpenWithDateColumn(defaultText);
        const char* format = defaultText == "tnow" ? "%Y-%m-%d %H:%M" : "%Y-%m-%d";
        const std::string before = DateTime::Now().Format(format);
        Choose(1007, 32777);
        const std::string after = DateTime::Now().Format(format);
        EXPECT_TRUE(Text(1007) == before || Text(1007) == after) << Text(1007);
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
    SetWindowText(Control(1007), "旧");
    days = {wxDateTime(5, wxDateTime::Mar, 2006), std::nullopt};
    automation::DoubleClick(*dialog, 1007);
    EXPECT_EQ(Text(1007), "2006-03-05");
    const wxPoint corner = Control(1007).ClientToScreen(wxPoint(0, 0));
    EXPECT_EQ(calendarRect, wxRect(CalendarPosition(corner, wxGetDisplaySize()), wxSize(355, 215)));
    // Cancel writes nothing.
    automation::DoubleClick(*dialog, 1007);
    EXPECT_EQ(Text(1007), "2006-03-05");
    EXPECT_TRUE(days.empty());
    // Other fields have no calendar; the modal handler fails the test if one comes.
    automation::DoubleClick(*dialog, 1005);
    automation::DoubleClick(*dialog, 8000);
}

}  // namespace
}  // namespace keltrov::test
