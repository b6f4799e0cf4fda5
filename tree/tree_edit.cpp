// Adding companies, departments and persons: the next free code under the parent, a name from the
// name dialog, one organisation row, and the new item shown last under its parent.
#include <wx/treectrl.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "data/dyn_recordset.hpp"
#include "data/period_key.hpp"
#include "data/statements.hpp"
#include "data/write_pattern.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/tree_items.hpp"
#include "platform/ui/window_text.hpp"
#include "resources/control_ids.hpp"
#include "tree/name_input_dlg.hpp"
#include "tree/node_code.hpp"

namespace {

constexpr int kNodeImage = 0;
namespace ids = keltrov::ids;

// The first row's code of a query ordered by code, highest first; empty when there is no row.
std::string HighestCode(const std::string& query) {
    CDynRecordset rows(g_pDatabase);
    rows.OpenSql(query);
    return rows.IsEOF() ? std::string() : rows.GetFieldValue(rows.GetFieldIndex("field_1")).AsText();
}

// The highest code under the prefix that has wage rows, cut to one segment below the prefix.
std::string HighestWageCode(const std::string& prefix) {
    const std::string code = HighestCode(keltrov::sql::HighestWageCodeUnder(prefix));
    return code.substr(0, prefix.size() + kCodeSegment);
}

std::string TrimSpaces(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

// Departments and persons share the codes under a parent: a new one follows the highest of both
// tables, or a department could take the code of a person and later lose it with its own delete.
// Codes with wage rows count too, or a new person would inherit an old one's wages.
std::string CPayrollDlg::ChildCodeBase(const std::string& parentCode) {
    const std::string key = GetPeriodKey(keltrov::DateTime::Now(), m_strOrgReport);
    const std::string department = HighestCode(keltrov::sql::HighestDepartmentUnder(m_strOrgReport, key, parentCode));
    const std::string person = HighestCode(keltrov::sql::HighestPersonUnder(m_strFormTable, parentCode));
    const std::string highest = std::max({department, person, HighestWageCode(parentCode)});
    return highest.empty() ? parentCode + "000" : highest;
}

std::optional<std::string> CPayrollDlg::NextFreeChildCode(const std::string& parentCode) {
    return NextChildCode(ChildCodeBase(parentCode));
}

std::optional<std::string> CPayrollDlg::NextFreeCompanyCode() {
    return NextCompanyCode(std::max(HighestCode(keltrov::sql::HighestCompany()), HighestWageCode({})));
}

bool CPayrollDlg::CodeInUse(const std::string& code) {
    return CountOf(g_pDatabase, keltrov::sql::CountCodesInUse(m_strOrgReport, m_strFormTable, code)) > 0;
}

std::string CPayrollDlg::AskNodeName() {
    CNameInputDlg dialog(this);
    if (dialog.DoModal() != keltrov::kIdOk) return {};
    return TrimSpaces(dialog.Name());
}

wxTreeItemId CPayrollDlg::AppendNode(wxTreeItemId parent, const std::string& code, const std::string& name) {
    m_astrNodeCodes.push_back(code);
    auto* index = new keltrov::TreeItemIndex(static_cast<long>(m_astrNodeCodes.size() - 1));
    return Tree().AppendItem(parent, keltrov::ToWx(name), kNodeImage, kNodeImage, index);
}

void CPayrollDlg::AddOrganisationNode(wxTreeItemId parent, const NextCode& nextCode, const NodeInsert& insertFor) {
    // Refused before the name is asked for when the segment is already used up.
    if (!nextCode()) {
        keltrov::ShowMessage(kCodesUsedUp);
        return;
    }
    const std::string name = AskNodeName();
    if (name.empty()) return;
    std::optional<std::string> code;
    // The code is taken again inside the write: another user may have added a node meanwhile.
    const bool stored = RunWrite(kExecBatchPolicy, [&] {
        code = nextCode();
        if (code) g_pDatabase->ExecuteSQL(insertFor(*code, name));
    });
    if (!stored) return;
    if (!code) {
        keltrov::ShowMessage(kCodesUsedUp);
        return;
    }
    AppendNode(parent, *code, name);
    Refresh();
}

void CPayrollDlg::OnAddCompany(wxCommandEvent&) {
    AddOrganisationNode(
        Tree().GetRootItem(), [this] { return NextFreeCompanyCode(); },
        [](const std::string& code, const std::string& name) {
            return keltrov::sql::InsertCompany(g_strBankId, code, name);
        });
}

void CPayrollDlg::OnAddDepartment(wxCommandEvent&) {
    const wxTreeItemId selected = Tree().GetSelection();
    if (!selected.IsOk()) return;
    const std::string parentCode = NodeCodeOf(selected);
    const std::string key = GetPeriodKey(keltrov::DateTime::Now(), m_strOrgReport);
    AddOrganisationNode(
        selected, [&] { return NextFreeChildCode(parentCode); },
        [&](const std::string& code, const std::string& name) {
            return keltrov::sql::InsertDepartment(m_strOrgReport, key, code, name);
        });
}

void CPayrollDlg::OnAddPerson(wxCommandEvent&) {
    const wxTreeItemId selected = Tree().GetSelection();
    if (!selected.IsOk()) return;
    // The code is found first, so that a refused one leaves the form and the number sequences alone.
    std::optional<std::string> code;
    if (m_pBindings) {
        code = NextFreeChildCode(NodeCodeOf(selected));
        if (!code) {
            keltrov::ShowMessage(kCodesUsedUp);
            return;
        }
    }
    if (wxWindow* save = GetDlgItem(ids::kSaveButton)) save->Enable();
    SetNewRecordDefaults(m_strPersonReport);
    if (code) {
        SetDlgItemText(ids::kCodeEdit, *code);
        SetDlgItemText(ids::kDepartmentEdit, keltrov::FromWx(Tree().GetItemText(selected)));
    }
    NextNumber(m_strPersonReport, "field_7");
    if (wxWindow* first = GetDlgItem(m_anFocusChain[static_cast<size_t>(m_nFirstFocus)])) first->SetFocus();
}
