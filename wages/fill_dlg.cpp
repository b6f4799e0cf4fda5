#include "wages/fill_dlg.hpp"

#include <wx/checkbox.h>

#include "platform/ui/window_text.hpp"

namespace {
constexpr int kTemplateId = 8008;
constexpr int kTextId = 1004;
constexpr int kStartRowId = 1008;
constexpr int kEndRowId = 1009;
constexpr int kOperatorId = 1019;
constexpr int kBeforeId = 1036;
}  // namespace

CFillDlg::CFillDlg() : TemplateDialog(nullptr, kTemplateId) {}

void CFillDlg::TransferOnOk() {
    m_request.text = keltrov::GetWindowText(Control(kTextId));
    m_request.startRow = keltrov::GetWindowText(Control(kStartRowId));
    m_request.endRow = keltrov::GetWindowText(Control(kEndRowId));
    m_request.op = keltrov::GetWindowText(Control(kOperatorId));
    m_request.before = wxStaticCast(&Control(kBeforeId), wxCheckBox)->GetValue();
}
