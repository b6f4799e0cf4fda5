// The keyboard of the person form: Enter and Down move on to the next field, Up back to the
// previous one, round the focus cycle; right button and double click open the field's aids.
#include <wx/textctrl.h>

#include <algorithm>

#include "dialog/payroll_dlg.hpp"
#include "platform/ui/window_class.hpp"

namespace {

bool IsEnter(int key) {
    return key == WXK_RETURN || key == WXK_NUMPAD_ENTER;
}

bool IsDown(int key) {
    return key == WXK_DOWN || key == WXK_NUMPAD_DOWN;
}

bool IsUp(int key) {
    return key == WXK_UP || key == WXK_NUMPAD_UP;
}

int IdOf(const wxWindow* control) {
    return control != nullptr ? control->GetId() : 0;
}

}  // namespace

bool CPayrollDlg::PreTranslateMessage(wxEvent& event, wxWindow& window) {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_RIGHT_DOWN) {
        const wxPoint point = static_cast<wxMouseEvent&>(event).GetPosition();
        return ShowEditPopup(window, window.ClientToScreen(point));
    }
    if (type == wxEVT_LEFT_DCLICK) return PopupCalendar(window);
    return PreTranslateKey(static_cast<wxKeyEvent&>(event), window);
}

bool CPayrollDlg::PreTranslateKey(wxKeyEvent& event, wxWindow& window) {
    const int key = event.GetKeyCode();
    if (!IsEnter(key) && !IsDown(key) && !IsUp(key)) return false;
    const wxWindow* control = ControlOfMessage(window);
    // An open list keeps its keys.
    if (control != nullptr && m_preTranslate.IsDroppedDown(*control)) return false;
    if (IsUp(key)) return PreTranslateUp(control);
    if (IsEnter(key) && keltrov::WindowClassName(control) == "Button") return false;
    if (IdOf(control) != 0 && IdOf(control) == m_anFocusChain[static_cast<size_t>(m_nLastFocus)]) {
        FocusChainEntry(m_nFirstFocus);
        return true;
    }
    // The key goes on as Tab, which the dialog's own traversal takes.
    event.m_keyCode = WXK_TAB;
    event.m_uniChar = WXK_TAB;
    return false;
}

bool CPayrollDlg::PreTranslateUp(const wxWindow* control) {
    const auto first = m_anFocusChain.begin() + m_nFirstFocus;
    const auto last = m_anFocusChain.begin() + m_nLastFocus;
    const auto found = std::find(first, last + 1, IdOf(control));
    if (IdOf(control) == 0 || found == last + 1) return false;
    FocusChainEntry(found == first ? m_nLastFocus : static_cast<int>(found - m_anFocusChain.begin()) - 1);
    return true;
}

void CPayrollDlg::FocusChainEntry(int index) {
    wxWindow* control = GetDlgItem(m_anFocusChain[static_cast<size_t>(index)]);
    if (control == nullptr) return;
    control->SetFocus();
    if (auto* entry = dynamic_cast<wxTextEntry*>(control)) entry->SelectAll();
}

wxWindow* CPayrollDlg::ControlOfMessage(wxWindow& window) const {
    wxWindow* control = &window;
    while (control != nullptr && control->GetParent() != this) control = control->GetParent();
    return control;
}

int CPayrollDlg::EntryIndexOf(const wxWindow* control) const {
    if (!m_pBindings || IdOf(control) == 0) return -1;
    const int count = static_cast<int>(m_pBindings->size());
    for (int index = 0; index < count; ++index) {
        if (ControlForColumn(index + 1) == control->GetId()) return index;
    }
    return -1;
}
