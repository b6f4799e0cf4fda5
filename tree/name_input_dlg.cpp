#include "tree/name_input_dlg.hpp"

#include "platform/ui/window_text.hpp"
#include "resources/control_ids.hpp"

namespace ids = keltrov::ids;

CNameInputDlg::CNameInputDlg(wxWindow* parent) : TemplateDialog(parent, ids::kNameInputDialog) {
    Bind(wxEVT_INIT_DIALOG, [this](wxInitDialogEvent& event) {
        event.Skip();
        CallAfter([this] { Control(ids::kNodeNameEdit).SetFocus(); });
    });
}

void CNameInputDlg::TransferOnOk() {
    m_strName = keltrov::GetWindowText(Control(ids::kNodeNameEdit));
}
