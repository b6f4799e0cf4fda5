#include "host/automation/small_dialogs.hpp"

#include <wx/button.h>
#include <wx/calctrl.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "host/automation/actions.hpp"
#include "host/automation/dialog_probe.hpp"
#include "platform/ui/window_text.hpp"

namespace keltrov::automation {

namespace {

// The edits and check boxes a person fills, in tab order.
std::vector<wxWindow*> InputFields(wxDialog& dialog) {
    std::vector<wxWindow*> fields;
    ForEachDescendant(dialog, [&fields](wxWindow& window) {
        if (dynamic_cast<wxTextCtrl*>(&window) || dynamic_cast<wxCheckBox*>(&window)) fields.push_back(&window);
    });
    return fields;
}

wxCalendarCtrlBase* FindCalendar(wxDialog& dialog) {
    wxCalendarCtrlBase* found = nullptr;
    ForEachDescendant(dialog, [&found](wxWindow& window) {
        if (found == nullptr) found = dynamic_cast<wxCalendarCtrlBase*>(&window);
    });
    return found;
}

wxButton& ButtonLabelled(wxDialog& dialog, const wxString& label) {
    wxButton* found = nullptr;
    ForEachDescendant(dialog, [&found, &label](wxWindow& window) {
        auto* button = dynamic_cast<wxButton*>(&window);
        if (found == nullptr && button != nullptr && button->GetLabelText() == label) found = button;
    });
    if (found == nullptr) throw ActionError(DescribeDialog(dialog) + " has no button " + FromWx(label));
    return *found;
}

void Tick(wxCheckBox& box, bool ticked) {
    box.SetValue(ticked);
    wxCommandEvent event(wxEVT_CHECKBOX, box.GetId());
    event.SetEventObject(&box);
    event.SetInt(ticked);
    box.HandleWindowEvent(event);
}

void FillFields(wxDialog& dialog, const std::vector<std::string>& values) {
    const std::vector<wxWindow*> fields = InputFields(dialog);
    if (fields.size() != values.size())
        throw ActionError(DescribeDialog(dialog) + " has " + std::to_string(fields.size()) +
                          " fields, the line gives " + std::to_string(values.size()));
    for (size_t i = 0; i < fields.size(); ++i) {
        if (auto* box = dynamic_cast<wxCheckBox*>(fields[i])) {
            Tick(*box, values[i] == "1");
        } else {
            TypeInto(*fields[i], values[i]);
        }
    }
}

void ChooseDate(wxDialog& dialog, const std::string& text) {
    wxCalendarCtrlBase* calendar = FindCalendar(dialog);
    const ScriptDate date = ParseScriptDate(text);
    const wxDateTime day(static_cast<wxDateTime::wxDateTime_t>(date.day),
                         static_cast<wxDateTime::Month>(date.month - 1), date.year);
    calendar->SetDate(day);
    wxCalendarEvent event(calendar, day, wxEVT_CALENDAR_SEL_CHANGED);
    calendar->HandleWindowEvent(event);
}

}  // namespace

SmallDialogKind ClassifyDialog(wxDialog& dialog) {
    if (FindCalendar(dialog) != nullptr) return SmallDialogKind::Calendar;
    const std::vector<wxWindow*> fields = InputFields(dialog);
    const bool hasCheckBox =
        std::any_of(fields.begin(), fields.end(), [](wxWindow* field) { return dynamic_cast<wxCheckBox*>(field); });
    if (hasCheckBox && fields.size() > 1) return SmallDialogKind::Fill;
    if (fields.size() == 1 && !hasCheckBox) return SmallDialogKind::Name;
    return SmallDialogKind::Unknown;
}

const char* KindName(SmallDialogKind kind) {
    switch (kind) {
        case SmallDialogKind::Name: return "name dialog";
        case SmallDialogKind::Fill: return "fill dialog";
        case SmallDialogKind::Calendar: return "calendar";
        case SmallDialogKind::Unknown: break;
    }
    return "dialog";
}

std::string DescribeDialog(wxDialog& dialog) {
    return std::string(KindName(ClassifyDialog(dialog))) + " \"" + FromWx(dialog.GetTitle()) + "\"";
}

void ApplyAnswer(wxDialog& dialog, const DialogAnswer& answer) {
    if (answer.confirm && ClassifyDialog(dialog) == SmallDialogKind::Calendar) {
        ChooseDate(dialog, answer.values.at(0));
    } else if (answer.confirm) {
        FillFields(dialog, answer.values);
    }
    const wxString label = wxString::FromUTF8(answer.confirm ? "确认" : "取消");
    PressButton(ButtonLabelled(dialog, label));
    if (dialog.IsModal()) throw ActionError(DescribeDialog(dialog) + " stayed open after " + FromWx(label));
}

}  // namespace keltrov::automation
