#pragma once
// A window's text as the system reads and writes it: an edit's or combo box's contents, any other
// window's label. Texts are UTF-8, the narrow code page here.
#include <wx/datetime.h>
#include <wx/string.h>

#include <string>

#include "platform/util/datetime.hpp"

class wxWindow;

namespace keltrov {

inline wxString ToWx(const std::string& text) {
    return wxString::FromUTF8(text.data(), text.size());
}
inline std::string FromWx(const wxString& text) {
    return text.utf8_string();
}

std::string GetWindowText(const wxWindow& window);
// Like typing it: an edit or combo box sends its change event.
void SetWindowText(wxWindow& window, const std::string& text);

wxDateTime ToWxDateTime(const DateTime& value);
// An invalid wxDateTime gives a null value.
DateTime FromWxDateTime(const wxDateTime& value);

}  // namespace keltrov
