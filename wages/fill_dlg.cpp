#include "wages/fill_dlg.hpp"

#include <wx/checkbox.h>

#include "platform/ui/window_text.hpp"
#include "resources/control_ids.hpp"

namespace ids = keltrov::ids;

CFillDlg::CFillDlg() : TemplateDialog(nullptr, ids::kFillDialog) {}

void CFillDlg::TransferOnOk() {
    m_request.text = keltrov::GetWindowText(Control(ids::kFillTextEdit));
    m_request.startRow = keltrov::GetWindowText(Control(ids::kFillStartRowEdit));
    m_request.endRow = keltrov::GetWindowText(Control(ids::kFillEndRowEdit));
    m_request.op = keltrov::GetWindowText(Control(ids::kFillOperatorEdit));
    m_request.before = wxStaticCast(&Control(ids::kFillBeforeCheck), wxCheckBox)->GetValue();
}
