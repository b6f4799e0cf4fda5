#pragma once
// The calendar popup of a date column typed into a box of text: a month calendar over the field,
// whose chosen day is written into the field.
#include <wx/gdicmn.h>

#include "form/field_binding.hpp"
#include "platform/ui/template_dialog.hpp"
#include "platform/util/datetime.hpp"

// A date column whose control is no date picker (the picker has a calendar of its own).
bool IsCalendarField(const FieldBinding& entry);

// Where the calendar's top-left corner goes for a field whose client area starts at corner:
// there, unless the calendar would leave the screen on the right or at the bottom.
wxPoint CalendarPosition(const wxPoint& corner, const wxSize& screen);

class CCalendarDlg : public keltrov::TemplateDialog {
public:
    static constexpr int kWidth = 355;
    static constexpr int kHeight = 215;

    CCalendarDlg();
    // Screen point of the window's top-left corner, taken when it is shown.
    void SetOrigin(const wxPoint& origin) { m_origin = origin; }
    // The day chosen, at midnight, once the dialog was closed with "确认"; null until then.
    const keltrov::DateTime& ChosenDate() const { return m_chosen; }

private:
    void TransferOnOk() override;

    wxPoint m_origin;
    keltrov::DateTime m_chosen;
};
