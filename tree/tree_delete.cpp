// Deleting tree nodes: the command is mapped; its work comes with the tree editing.
#include "dialog/payroll_dlg.hpp"

void CPayrollDlg::OnDelete(wxCommandEvent&) {}
