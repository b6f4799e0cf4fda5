// Generating, saving and range-filling the wage sheet: the commands are mapped; their work comes
// with the wage writers.
#include "dialog/payroll_dlg.hpp"

void CPayrollDlg::OnGenerateWages(wxCommandEvent&) {}

void CPayrollDlg::OnSaveWages(wxCommandEvent&) {}

void CPayrollDlg::OnFill(wxCommandEvent&) {}
