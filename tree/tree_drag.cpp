// Moving persons by drag and drop: the events are mapped and passed on until the move is built.
#include "dialog/payroll_dlg.hpp"

void CPayrollDlg::OnMouseMove(wxMouseEvent& event) {
    event.Skip();
}

void CPayrollDlg::OnBeginDrag(wxTreeEvent&) {}

void CPayrollDlg::OnLButtonUp(wxMouseEvent& event) {
    event.Skip();
}

void CPayrollDlg::OnTimer(wxTimerEvent&) {}
