// The edit menu commands of a form field: mapped; their work comes with the keyboard handling.
#include "dialog/payroll_dlg.hpp"

void CPayrollDlg::OnInsertTime(wxCommandEvent&) {}

void CPayrollDlg::OnEditPaste(wxCommandEvent&) {}

void CPayrollDlg::OnEditCopy(wxCommandEvent&) {}

void CPayrollDlg::OnEditClear(wxCommandEvent&) {}
