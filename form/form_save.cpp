// Saving the person form as one new row, replacing the old row in modify mode.
#include <cmath>
#include <functional>
#include <optional>

#include "data/field_value.hpp"
#include "data/period_key.hpp"
#include "data/statements.hpp"
#include "data/write_pattern.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/db/database.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/calendar.hpp"
#include "platform/util/decimal_text.hpp"
#include "platform/util/sql_format.hpp"
#include "resources/control_ids.hpp"
#include "tree/node_code.hpp"

namespace {

namespace ids = keltrov::ids;

// The column list and the value list of the insert, in binding-table order.
struct FormRow {
    std::string columns = "relationid,inputdate";
    std::string values;
    bool allEmpty = true;
    // Why a typed value cannot be stored; empty when every value can.
    std::string refusal;
};

constexpr const char* kNotANumber = "“%s”不是有效的数字";
constexpr const char* kNotADate = "“%s”不是有效的日期,日期应在1753-01-01到9999-12-31之间";

std::string TextOf(const wxWindow* control) {
    return control != nullptr ? keltrov::GetWindowText(*control) : std::string();
}

std::string Quoted(const std::string& text) {
    return ",'" + keltrov::QuoteSqlValue(text) + "'";
}

// The earliest date the host databases' date-time types hold (SQL Server's datetime begins there).
constexpr int kFirstYear = 1753;
// A day count on the scale whose day 0 is 30 December 1899.
std::string DateOfDayCount(int days) {
    const keltrov::calendar::Date date = keltrov::calendar::DateOfSerialDay(days);
    return keltrov::DateTime(static_cast<int>(date.year), date.month, date.day).Format("%Y-%m-%d");
}

// A typed date written the way the database reads it back; empty when it names no storable date.
std::string TypedDate(const std::string& text) {
    const keltrov::DateTime date = keltrov::DateTime::Parse(text);
    if (!date.IsValid() || date.GetYear() < kFirstYear) return {};
    if (date.GetSecond() != 0) return date.Format("%Y-%m-%d %H:%M:%S");
    return date.Format(date.GetHour() != 0 || date.GetMinute() != 0 ? "%Y-%m-%d %H:%M" : "%Y-%m-%d");
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// Blanks, an optional plus sign, then a digit: the text is a day count (a minus sign makes it a typed date).
bool IsDayCount(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first != std::string::npos && text[first] == '+') ++first;
    return first < text.size() && text[first] >= '0' && text[first] <= '9';
}

// The value of a date column: null, a quoted date, or none when the text is no date the database holds.
std::optional<std::string> DateValue(const std::string& text) {
    if (IsBlank(text)) return ",null";
    if (text.find('-') != std::string::npos) {
        const std::string date = TypedDate(text);
        if (date.empty()) return std::nullopt;
        return Quoted(date);
    }
    if (!IsDayCount(text)) return std::nullopt;
    // A day count; 0 or less stands for no date.
    const int days = keltrov::LeadingInteger(text);
    if (days <= 0) return ",null";
    if (days > keltrov::calendar::kLastSerialDay) return std::nullopt;
    return Quoted(DateOfDayCount(days));
}

void Refuse(FormRow& row, const char* reason, const std::string& text) {
    if (row.refusal.empty()) row.refusal = FillMessage(reason, text);
}

void AddValue(FormRow& row, const FieldBinding& entry, const std::string& text) {
    row.columns += "," + entry.strColumnName;
    switch (KindOfDataType(entry.cDataType)) {
        case ValueKind::Text:
            if (!text.empty()) row.allEmpty = false;
            row.values += Quoted(text);
            break;
        case ValueKind::Date: {
            if (!text.empty()) row.allEmpty = false;
            const std::optional<std::string> value = DateValue(text);
            if (!value) {
                Refuse(row, kNotADate, text);
                break;
            }
            row.values += *value;
            break;
        }
        case ValueKind::Number: {
            const double number = LeadingDecimal(text);
            if (!std::isfinite(number)) {
                Refuse(row, kNotANumber, text);
                break;
            }
            if (number != 0) row.allEmpty = false;
            row.values += "," + FormatDecimals(number, 4);
            break;
        }
        // A type the form cannot convert still gets a value, so the lists keep the same length.
        case ValueKind::Other: row.values += ",null"; break;
    }
}

FormRow ReadFormRow(const BindingTable& bindings, const std::function<std::string(int controlId)>& textOf) {
    FormRow row;
    for (const FieldBinding& entry : bindings) {
        // A column without a control counts as empty: "0" for the number types.
        std::string text = KindOfDataType(entry.cDataType) == ValueKind::Number ? "0" : "";
        if (entry.nControlId != 0) text = textOf(entry.nControlId);
        AddValue(row, entry, text);
    }
    return row;
}

// Shows why the row cannot be stored, with the form's failure message; true when it can be.
bool ValuesAccepted(const FormRow& row) {
    if (row.refusal.empty()) return true;
    keltrov::ShowMessage(FillMessage(kInsertFormPolicy.errorMessage, row.refusal));
    return false;
}

}  // namespace

void CPayrollDlg::OnModify(wxCommandEvent&) {
    if (TextOf(GetDlgItem(ids::kCodeEdit)).empty()) return;
    m_bModifyMode = true;
    if (wxWindow* save = GetDlgItem(ids::kSaveButton)) save->Enable();
}

void CPayrollDlg::OnSave(wxCommandEvent&) {
    const bool refused = !SaveForm() && !TextOf(GetDlgItem(ids::kCodeEdit)).empty();
    // A new person whose insert was refused stays in the form, ready to be saved again.
    const bool keepNewPerson = refused && !m_bModifyMode;
    m_bModifyMode = false;
    if (wxWindow* save = GetDlgItem(ids::kSaveButton)) save->Enable(keepNewPerson);
    if (wxWindow* number = GetDlgItem(ids::kCodeEdit)) number->SetFocus();
}

bool CPayrollDlg::TakeFreeCodeForNewPerson() {
    const std::string shown = TextOf(GetDlgItem(ids::kCodeEdit));
    if (!CodeInUse(shown)) return true;
    // Another user stored a node under this code since it was shown: the next free one is taken.
    const std::optional<std::string> code = NextFreeChildCode(ParentCode(shown));
    if (!code) return false;
    SetDlgItemText(ids::kCodeEdit, *code);
    return true;
}

bool CPayrollDlg::SaveForm() {
    if (!m_pBindings) return false;
    const std::string number = TextOf(GetDlgItem(ids::kCodeEdit));
    if (number.empty()) return false;
    std::vector<std::string> statements;
    if (m_bModifyMode) statements.push_back(keltrov::sql::DeletePerson(g_strBankId, number));
    const bool stored =
        m_bModifyMode ? InsertFormRecord(m_strPersonReport, statements)
                      : InsertFormRecord(m_strPersonReport, statements, [this] { return TakeFreeCodeForNewPerson(); });
    // A new person joins the tree only once its row is in the database, under the code it was stored with.
    if (stored && !m_bModifyMode) {
        const wxTreeItemId parent = Tree().GetSelection().IsOk() ? Tree().GetSelection() : Tree().GetRootItem();
        AppendNode(parent, TextOf(GetDlgItem(ids::kCodeEdit)), TextOf(GetDlgItem(ids::kNameEdit)));
        Refresh(true);
    }
    return stored;
}

bool CPayrollDlg::InsertFormRecord(const std::string& reportId, const std::vector<std::string>& statements,
                                   const BeforeFormRow& beforeRow) {
    if (!m_pBindings) return false;
    const keltrov::DateTime now = keltrov::DateTime::Now();
    const std::string key = GetPeriodKey(now, reportId);
    const auto storedText = [this](int id) { return StoredTextOf(id); };
    if (!ValuesAccepted(ReadFormRow(*m_pBindings, storedText))) return false;
    bool inserted = false;
    bool codeUsedUp = false;
    const bool ok = RunWrite(kInsertFormPolicy, [&] {
        for (const std::string& statement : statements) g_pDatabase->ExecuteSQL(statement);
        if (beforeRow && !beforeRow()) {
            codeUsedUp = true;
            return;
        }
        const FormRow row = ReadFormRow(*m_pBindings, storedText);
        if (row.allEmpty) return;
        g_pDatabase->ExecuteSQL(
            keltrov::sql::InsertRecord(m_strFormTable, row.columns, key, now.Format("%Y-%m-%d %H:%M"), row.values));
        inserted = true;
    });
    if (codeUsedUp) keltrov::ShowMessage(kCodesUsedUp);
    return ok && inserted;
}
