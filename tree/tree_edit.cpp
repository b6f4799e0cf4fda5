// Adding companies, departments and persons: the commands are mapped; their work comes with the
// tree editing.
#include "dialog/payroll_dlg.hpp"

void CPayrollDlg::OnAddDepartment(wxCommandEvent&) {}

void CPayrollDlg::OnAddCompany(wxCommandEvent&) {}

void CPayrollDlg::OnAddPerson(wxCommandEvent&) {}
