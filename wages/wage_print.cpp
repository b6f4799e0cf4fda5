// Printing the wage sheet: the month's rows under the template's captions, through the preview.
#include "dialog/payroll_dlg.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/print_preview.hpp"
#include "wages/wage_layout.hpp"

namespace {

constexpr const char* kPrintTitle = "工资表";

}  // namespace

void CPayrollDlg::OnPrintSheet(wxCommandEvent&) {
    // The template's rows above the first person head every page.
    keltrov::ShowPrintPreview(*this, {m_sheet.GetWindow()->GetWorkbook(), kFirstDataRow - 1, kPrintTitle});
}
