// The form definition read into the binding table, and the combo boxes filled from it.
#include <wx/combobox.h>

#include <array>

#include "data/dyn_recordset.hpp"
#include "data/list_query.hpp"
#include "data/period_key.hpp"
#include "data/statements.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/window_class.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/decimal_text.hpp"
#include "resources/control_ids.hpp"

namespace {

namespace ids = keltrov::ids;

constexpr std::array<int, 100> kColumnControls{ids::kCodeEdit,          ids::kNameEdit,       ids::kSexCombo,
                                               ids::kIdNumberEdit,      ids::kDepartmentEdit, ids::kPositionEdit,
                                               ids::kInternalNumberEdit};

std::string TextOf(CDynRecordset& rows, const char* column) {
    return rows.GetFieldValue(rows.GetFieldIndex(column)).AsText();
}

char FirstLetter(const std::string& text) {
    return text.empty() ? 0 : text.front();
}

char ControlKind(const wxWindow* control) {
    const std::string className = keltrov::WindowClassName(control);
    if (className == "ComboBox") return 'C';
    if (className == "SysDateTimePick32") return 'D';
    return 'E';
}

}  // namespace

int ControlForColumn(int columnNumber) {
    if (columnNumber < 1 || columnNumber > static_cast<int>(kColumnControls.size())) return 0;
    return kColumnControls[static_cast<size_t>(columnNumber - 1)];
}

ValueKind KindOfDataType(char letter) {
    switch (letter) {
        case 'C':
        case 'c':
        case 'L':
        case 'l': return ValueKind::Text;
        case 'I':
        case 'i':
        case 'N':
        case 'n': return ValueKind::Number;
        case 'D':
        case 'd': return ValueKind::Date;
        default: return ValueKind::Other;
    }
}

int ColumnNumberOf(const std::string& columnName) {
    const size_t size = columnName.size();
    const bool oneDigit = size >= 2 && columnName[size - 2] == '_';
    const size_t digits = oneDigit ? 1 : 2;
    return keltrov::LeadingInteger(size >= digits ? columnName.substr(size - digits) : columnName);
}

std::unique_ptr<BindingTable> CPayrollDlg::LoadFormDefinition(const std::string& formReportId) {
    const std::string key = GetPeriodKey(keltrov::DateTime::Now(), "B200");
    CDynRecordset rows(g_pDatabase);
    rows.OpenSql(keltrov::sql::CountFormDefinition(key, formReportId));
    const long count = rows.GetFieldValue(0).AsLong();
    rows.Close();
    if (count == 0) {
        keltrov::ShowMessage("请生成" + m_strPersonReport + "表的操作信息,再运行本程序");
        return nullptr;
    }

    auto table = std::make_unique<BindingTable>();
    table->reserve(static_cast<size_t>(count));
    rows.OpenSql(keltrov::sql::FormDefinitionRows(key, formReportId));
    for (; !rows.IsEOF() && static_cast<long>(table->size()) < count; rows.MoveNext()) {
        FieldBinding& entry = table->emplace_back();
        entry.strColumnName = TextOf(rows, "field_2");
        entry.nControlId = ControlForColumn(ColumnNumberOf(entry.strColumnName));
        if (entry.nControlId > 0) entry.cControlKind = ControlKind(GetDlgItem(entry.nControlId));
        entry.cDataType = FirstLetter(TextOf(rows, "field_4"));
        entry.cInputStyle = FirstLetter(TextOf(rows, "field_6"));
        if (entry.cControlKind == 'C') {
            FillComboFromSource(entry.nControlId, TextOf(rows, "field_7"));
            LoadPickList(entry.nControlId, formReportId, entry.strColumnName);
        }
        entry.strDefault = TextOf(rows, "field_11");
        entry.strNumbering = TextOf(rows, "field_14");
    }
    return table;
}

void CPayrollDlg::FillComboFromSource(int controlId, const std::string& listSource) {
    if (IsListQuery(listSource)) {
        AddQueryItems(controlId, listSource);
        return;
    }
    size_t start = 0;
    for (size_t comma = listSource.find(','); comma != std::string::npos; comma = listSource.find(',', start)) {
        AddComboItem(controlId, listSource.substr(start, comma - start));
        start = comma + 1;
    }
    if (start < listSource.size()) AddComboItem(controlId, listSource.substr(start));
}

void CPayrollDlg::AddComboItem(int controlId, const std::string& item) {
    if (auto* combo = dynamic_cast<wxComboBox*>(GetDlgItem(controlId))) combo->Append(keltrov::ToWx(item));
}

void CPayrollDlg::AddQueryItems(int controlId, const std::string& query) {
    // A stored query that fails costs its combo box those items, not the rest of the screen.
    try {
        for (const std::string& item : RunListQuery(query)) AddComboItem(controlId, item);
    } catch (const keltrov::db::DbException& error) {
        keltrov::ShowMessage(error.ErrorText());
    }
}
