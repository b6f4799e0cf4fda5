#pragma once
// The dialog that asks for the name of a new company or department.
#include <string>

#include "platform/ui/template_dialog.hpp"

class CNameInputDlg : public keltrov::TemplateDialog {
public:
    explicit CNameInputDlg(wxWindow* parent);
    // The name typed, once the dialog was closed with "确认"; empty until then.
    const std::string& Name() const { return m_strName; }

private:
    void TransferOnOk() override;

    std::string m_strName;
};
