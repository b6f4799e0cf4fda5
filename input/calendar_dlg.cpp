#include "input/calendar_dlg.hpp"

#include <wx/calctrl.h>

#include "platform/ui/window_text.hpp"
#include "resources/control_ids.hpp"

namespace {

namespace ids = keltrov::ids;

constexpr int kHorizontalRoom = 360;
// Room below the field that is enough, and the distance from the bottom edge when it is not.
constexpr int kVerticalRoom = 250;
constexpr int kBottomFallback = 270;

}  // namespace

bool IsCalendarField(const FieldBinding& entry) {
    return entry.cControlKind != 'D' && entry.cInputStyle == 'D';
}

wxPoint CalendarPosition(const wxPoint& corner, const wxSize& screen) {
    wxPoint position = corner;
    if (screen.x - corner.x - kHorizontalRoom < 0) position.x = screen.x - kHorizontalRoom;
    if (screen.y - corner.y - kVerticalRoom < 0) position.y = screen.y - kBottomFallback;
    return position;
}

CCalendarDlg::CCalendarDlg() : TemplateDialog(nullptr, ids::kCalendarDialog) {
    Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        event.Skip();
        if (event.IsShown()) SetSize(m_origin.x, m_origin.y, kWidth, kHeight);
    });
}

void CCalendarDlg::TransferOnOk() {
    const auto& calendar = dynamic_cast<const wxCalendarCtrlBase&>(Control(ids::kCalendar));
    m_chosen = keltrov::FromWxDateTime(calendar.GetDate().GetDateOnly());
}
