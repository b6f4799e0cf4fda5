// The edit menu of a form field and its commands, which work on the field it was opened for.
#include "dialog/payroll_dlg.hpp"
#include "input/calendar_dlg.hpp"
#include "platform/ui/edit_messages.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/menu_resource.hpp"
#include "platform/util/datetime.hpp"
#include "resources/control_ids.hpp"

namespace ids = keltrov::ids;

bool CPayrollDlg::ShowEditPopup(wxWindow& window, const wxPoint& screenPoint) {
    const int index = EntryIndexOf(ControlOfMessage(window));
    if (index < 0) return false;
    const FieldBinding& entry = (*m_pBindings)[static_cast<size_t>(index)];
    if (entry.cControlKind == 'D') return false;
    m_nMenuFieldIndex = index;
    const auto popup = keltrov::LoadPopupMenu(std::to_string(ids::kPopupMenus),
                                              IsCalendarField(entry) ? ids::kDateFieldPopup : ids::kFieldPopup);
    keltrov::ShowPopupMenu(*this, *popup, screenPoint);
    return true;
}

const FieldBinding* CPayrollDlg::MenuFieldEntry() const {
    const int index = m_nMenuFieldIndex;
    if (!m_pBindings || index < 0 || index >= static_cast<int>(m_pBindings->size())) return nullptr;
    const FieldBinding& entry = (*m_pBindings)[static_cast<size_t>(index)];
    return entry.nControlId >= 1 ? &entry : nullptr;
}

void CPayrollDlg::OnInsertTime(wxCommandEvent&) {
    const FieldBinding* entry = MenuFieldEntry();
    if (entry == nullptr) return;
    const keltrov::DateTime now = keltrov::DateTime::Now();
    SetDlgItemText(entry->nControlId, now.Format("%Y-%m-%d"));
    if (entry->strDefault == "tnow") SetDlgItemText(entry->nControlId, now.Format("%Y-%m-%d %H:%M"));
}

void CPayrollDlg::SendToMenuField(keltrov::EditMessage message) {
    const FieldBinding* entry = MenuFieldEntry();
    wxWindow* control = entry != nullptr ? GetDlgItem(entry->nControlId) : nullptr;
    if (control != nullptr) keltrov::SendEditMessage(*control, message);
}

void CPayrollDlg::OnEditPaste(wxCommandEvent&) {
    SendToMenuField(keltrov::EditMessage::Paste);
}

void CPayrollDlg::OnEditCopy(wxCommandEvent&) {
    SendToMenuField(keltrov::EditMessage::Copy);
}

void CPayrollDlg::OnEditClear(wxCommandEvent&) {
    SendToMenuField(keltrov::EditMessage::Clear);
}
