#include "platform/ui/window_text.hpp"

#include <wx/textentry.h>
#include <wx/window.h>

namespace keltrov {

std::string GetWindowText(const wxWindow& window) {
    if (const auto* entry = dynamic_cast<const wxTextEntry*>(&window)) return FromWx(entry->GetValue());
    return FromWx(window.GetLabel());
}

void SetWindowText(wxWindow& window, const std::string& text) {
    if (auto* entry = dynamic_cast<wxTextEntry*>(&window)) {
        entry->SetValue(ToWx(text));
        return;
    }
    window.SetLabel(ToWx(text));
}

wxDateTime ToWxDateTime(const DateTime& value) {
    if (!value.IsValid()) return wxDateTime();
    return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(value.GetDay()),
                      static_cast<wxDateTime::Month>(value.GetMonth() - 1), value.GetYear(),
                      static_cast<wxDateTime::wxDateTime_t>(value.GetHour()),
                      static_cast<wxDateTime::wxDateTime_t>(value.GetMinute()),
                      static_cast<wxDateTime::wxDateTime_t>(value.GetSecond()));
}

DateTime FromWxDateTime(const wxDateTime& value) {
    if (!value.IsValid()) return DateTime();
    return DateTime(value.GetYear(), value.GetMonth() + 1, value.GetDay(), value.GetHour(), value.GetMinute(),
                    value.GetSecond());
}

}  // namespace keltrov
