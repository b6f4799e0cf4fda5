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
    if (wxDynamicCast(window, wxComboBox)) return "ComboBox";
    if (wxDynamicCast(window, wxDatePickerCtrl)) return "SysDateTimePick32";
    if (wxDynamicCast(window, wxButton)) return "Button";
    if (wxDynamicCast(window, wxTextCtrl)) return "Edit";
    if (wxDynamicCast(window, wxStaticText)) return "Static";
    if (wxDynamicCast(window, wxTreeCtrl)) return "SysTreeView32";
    if (wxDynamicCast(window, sheet::SheetControl)) return "F1Book";
    return wxString(window->GetClassInfo()->GetClassName()).utf8_string();
}

}  // namespace keltrov
