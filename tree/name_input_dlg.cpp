#include "tree/name_input_dlg.hpp"

#include "platform/ui/window_text.hpp"

namespace {
constexpr int kTemplateId = 8001;
constexpr int kNameId = 1004;
}  // namespace

CNameInputDlg::CNameInputDlg(wxWindow* parent) : TemplateDialog(parent, kTemplateId) {
    Bind(wxEVT_INIT_DIALOG, [this](wxInitDialogEvent& event) {
        event.Skip();
        CallAfter([this] { Control(kNameId).SetFocus(); });
    });
}

void CNameInputDlg::TransferOnOk() {
    m_strName = keltrov::GetWindowText(Control(kNameId));
}
