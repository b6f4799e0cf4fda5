// Filling the organisation tree from the company, department and person tables.
#include "data/dyn_recordset.hpp"
#include "data/period_key.hpp"
#include "data/statements.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/ui/tree_items.hpp"
#include "platform/ui/window_text.hpp"

namespace {

std::string CurrentCode(CDynRecordset& rows) {
    return rows.GetFieldValue(rows.GetFieldIndex("field_1")).AsText();
}

}  // namespace

void CPayrollDlg::LoadTree() {
    m_strPersonReport = "B811";
    m_strOrgReport = "B810";
    const keltrov::DateTime now = keltrov::DateTime::Now();
    const std::string personKey = GetPeriodKey(now, m_strPersonReport);
    const std::string orgKey = GetPeriodKey(now, m_strOrgReport);
    // Empty at the dialog's start, so only a refresh has items to delete. The hidden root stands
    // for the tree's top, under which the companies are inserted.
    Tree().DeleteAllItems();
    const wxTreeItemId root = Tree().AddRoot(wxString());

    CDynRecordset rows(g_pDatabase);
    rows.OpenSql(keltrov::sql::TreeNodes(m_strOrgReport, orgKey, m_strPersonReport, personKey), CDynRecordset::snapshot,
                 CDynRecordset::readOnly);
    if (rows.IsEOF()) return;
    const std::string firstCode = CurrentCode(rows);
    const wxTreeItemId first = InsertNode(root, firstCode, rows);
    rows.MoveNext();
    FillLevel(root, first, firstCode.size(), rows);
    // The toolkit marks its first item current on its own; a loaded tree starts with none chosen.
    Tree().Unselect();
}

// Nesting follows code length alone: a longer code goes under the latest item of the level above.
void CPayrollDlg::FillLevel(wxTreeItemId parent, wxTreeItemId last, size_t levelLength, CDynRecordset& rows) {
    while (!rows.IsEOF()) {
        const std::string code = CurrentCode(rows);
        if (code.size() < levelLength) return;
        if (code.size() > levelLength) {
            const wxTreeItemId child = InsertNode(last, code, rows);
            rows.MoveNext();
            FillLevel(last, child, code.size(), rows);
            last = child;
        } else {
            last = InsertNode(parent, code, rows);
            rows.MoveNext();
        }
    }
}

wxTreeItemId CPayrollDlg::InsertNode(wxTreeItemId parent, const std::string& code, CDynRecordset& rows) {
    return AppendNode(parent, code, rows.GetFieldValue(rows.GetFieldIndex("field_2")).AsText());
}

void CPayrollDlg::OnRefreshTree(wxCommandEvent&) {
    LoadTree();
}
