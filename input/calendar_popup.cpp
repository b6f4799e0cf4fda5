// A double click in a date column's box of text takes the date from a calendar over the field.
#include <wx/gdicmn.h>

#include <cstdio>

#include "dialog/payroll_dlg.hpp"
#include "input/calendar_dlg.hpp"
#include "platform/ui/window_text.hpp"

namespace {

std::string CalendarDateText(const keltrov::DateTime& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%2d-%02d-%02d", date.GetYear(), date.GetMonth(), date.GetDay());
    return text;
}

}  // namespace

bool CPayrollDlg::PopupCalendar(wxWindow& window) {
    const int index = EntryIndexOf(ControlOfMessage(window));
    if (index < 0 || !IsCalendarField((*m_pBindings)[static_cast<size_t>(index)])) return false;
    CCalendarDlg calendar;
    calendar.SetOrigin(CalendarPosition(window.ClientToScreen(wxPoint(0, 0)), wxGetDisplaySize()));
    if (calendar.DoModal() == keltrov::kIdOk) keltrov::SetWindowText(window, CalendarDateText(calendar.ChosenDate()));
    return true;
}
