// Saving and modifying the person form: the buttons are mapped; their work comes with the form saving.
#include "dialog/payroll_dlg.hpp"

void CPayrollDlg::OnSave(wxCommandEvent&) {}

void CPayrollDlg::OnModify(wxCommandEvent&) {}
