// Showing a person's row in the bound controls, and clearing them.
#include <wx/datectrl.h>

#include <algorithm>
#include <cstdio>

#include "data/dyn_recordset.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/ui/window_text.hpp"

namespace {

bool IsDateColumnPicker(const FieldBinding& entry) {
    return entry.cInputStyle == 'D' && entry.cControlKind == 'D';
}

// A text value's bytes as the database holds them, before any conversion for showing.
std::string StoredText(const CFieldValue& value) {
    return value.m_dwType == DBVT_STRING && !value.m_bNull ? *value.m_pstring : value.AsText();
}

}  // namespace

std::string FormatDecimals(double value, int places) {
    const int size = std::snprintf(nullptr, 0, "%.*f", places, value);
    std::string text(static_cast<size_t>(std::max(size, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, "%.*f", places, value);
    return text;
}

void CPayrollDlg::ClearForm() {
    m_convertedTexts.clear();
    if (!m_pBindings) return;
    for (const FieldBinding& entry : *m_pBindings) {
        // A date column's picker keeps its date: it cannot show an empty one.
        if (entry.nControlId != 0 && !IsDateColumnPicker(entry)) SetDlgItemText(entry.nControlId, "");
    }
}

void CPayrollDlg::LoadRecordIntoForm(const std::string& query) {
    if (!m_pBindings) return;
    m_convertedTexts.clear();
    CDynRecordset row(g_pDatabase);
    row.OpenSql(query);
    if (row.IsEOF()) return;
    for (const FieldBinding& entry : *m_pBindings) {
        const int column = row.GetFieldIndex(entry.strColumnName);
        if (column < 0 || entry.nControlId == 0) continue;
        ShowValue(entry, row.GetFieldValue(column));
    }
}

void CPayrollDlg::ShowValue(const FieldBinding& entry, const CFieldValue& value) {
    switch (KindOfDataType(entry.cDataType)) {
        case ValueKind::Text: ShowText(entry.nControlId, value); break;
        case ValueKind::Number: SetDlgItemText(entry.nControlId, FormatDecimals(value.AsDouble(), 2)); break;
        case ValueKind::Date: {
            const keltrov::DateTime date = value.AsDate();
            if (entry.cControlKind == 'D') {
                // The picker shows a date or nothing it can be given: a null date leaves it as it is.
                auto* picker = dynamic_cast<wxDatePickerCtrl*>(GetDlgItem(entry.nControlId));
                if (picker != nullptr && date.IsValid()) picker->SetValue(keltrov::ToWxDateTime(date));
            } else {
                SetDlgItemText(entry.nControlId,
                               date.Format(entry.strDefault == "tnow" ? "%Y-%m-%d %H:%M" : "%Y-%m-%d"));
            }
            break;
        }
        case ValueKind::Other: break;
    }
}

void CPayrollDlg::ShowText(int controlId, const CFieldValue& value) {
    const std::string text = value.AsText();
    SetDlgItemText(controlId, text);
    const std::string stored = StoredText(value);
    const wxWindow* control = GetDlgItem(controlId);
    // A text in another encoding is shown converted; an untouched control gives back the stored bytes.
    if (text != stored && control != nullptr) m_convertedTexts[controlId] = {keltrov::GetWindowText(*control), stored};
}

std::string CPayrollDlg::StoredTextOf(int controlId) const {
    const wxWindow* control = GetDlgItem(controlId);
    if (control == nullptr) return {};
    const std::string shown = keltrov::GetWindowText(*control);
    const auto converted = m_convertedTexts.find(controlId);
    return converted != m_convertedTexts.end() && converted->second.shown == shown ? converted->second.stored : shown;
}
