#include "platform/ui/window_class.hpp"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "platform/sheet/sheet_control.hpp"

namespace keltrov {

std::string WindowClassName(const wxWindow* window) {
    if (window == nullptr) return {};
    if (dynamic_cast<const wxComboBox*>(window)) return "ComboBox";
    if (dynamic_cast<const wxDatePickerCtrl*>(window)) return "SysDateTimePick32";
    if (dynamic_cast<const wxButton*>(window)) return "Button";
    if (dynamic_cast<const wxTextCtrl*>(window)) return "Edit";
    if (dynamic_cast<const wxStaticText*>(window)) return "Static";
    if (dynamic_cast<const wxTreeCtrl*>(window)) return "SysTreeView32";
    if (dynamic_cast<const sheet::SheetControl*>(window)) return "F1Book";
    return wxString(window->GetClassInfo()->GetClassName()).utf8_string();
}

}  // namespace keltrov
