#pragma once
// The dialog that asks how to fill a range of the wage sheet's current column.
#include <string>

#include "platform/ui/template_dialog.hpp"

// What the fill dialog holds once it was closed with "确认"; all empty before.
struct FillRequest {
    std::string text;      // the text or value to fill with
    std::string startRow;  // empty: the first data row
    std::string endRow;    // empty: the next row
    std::string op;        // its first character picks the operation
    bool before = false;   // the fill value stands left of the cell's value
};

class CFillDlg : public keltrov::TemplateDialog {
public:
    CFillDlg();
    const FillRequest& Request() const { return m_request; }

private:
    void TransferOnOk() override;

    FillRequest m_request;
};
