#include "tests/automation/test_dialog.hpp"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/textctrl.h>
#include <wx/time.h>

#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/tree_items.hpp"
#include "resources/control_ids.hpp"

namespace keltrov::test {

namespace {

std::string Utf8(const wxString& text) {
    return text.utf8_string();
}

wxString Wide(const char* text) {
    return wxString::FromUTF8(text);
}

void AddOkCancel(wxDialog& dialog, int y) {
    new wxButton(&dialog, wxID_OK, Wide("确认"), wxPoint(10, y));
    new wxButton(&dialog, wxID_CANCEL, Wide("取消"), wxPoint(120, y));
}

}  // namespace

RunnerTestDialog::RunnerTestDialog() {
    Create(nullptr, wxID_ANY, Wide("住户数据录入"), wxDefaultPosition, wxSize(700, 520));
    tree = new wxTreeCtrl(this, ids::kOrganisationTree, wxPoint(10, 10), wxSize(200, 190),
                          wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxTR_SINGLE);
    const wxTreeItemId root = tree->AddRoot("");
    const wxTreeItemId company = tree->AppendItem(root, Wide("总公司"), -1, -1, new TreeItemIndex(0));
    const wxTreeItemId department = tree->AppendItem(company, Wide("财务部"), -1, -1, new TreeItemIndex(1));
    tree->AppendItem(department, Wide("张伟"), -1, -1, new TreeItemIndex(2));
    tree->AppendItem(company, Wide("人事部"), -1, -1, new TreeItemIndex(3));
    AttachItemStrings(*tree, codes_);
    new wxTextCtrl(this, ids::kNameEdit, "", wxPoint(230, 10), wxSize(120, -1));
    wxArrayString sexes;
    sexes.Add(Wide("男"));
    sexes.Add(Wide("女"));
    new wxComboBox(this, ids::kSexCombo, "", wxPoint(230, 50), wxSize(120, -1), sexes);
    new wxButton(this, ids::kSaveButton, Wide("保存"), wxPoint(230, 90));
    (new wxButton(this, ids::kModifyButton, Wide("修改"), wxPoint(330, 90)))->Disable();
    new wxDatePickerCtrl(this, ids::kWageDatePicker, wxDateTime(1, wxDateTime::Jan, 2020, 9, 30), wxPoint(230, 130));
    sheet = new sheet::SheetControl(this, ids::kWageSheet, wxPoint(10, 210), wxSize(680, 300));
    BindLogging();
}

void RunnerTestDialog::BindLogging() {
    tree->Bind(wxEVT_TREE_SEL_CHANGED,
               [this](wxTreeEvent& event) { log.push_back("selected " + GetItemString(*tree, event.GetItem())); });
    Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
        log.push_back("text " + std::to_string(event.GetId()) + " " + Utf8(event.GetString()));
    });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
        if (event.GetId() != ids::kSaveButton) return event.Skip();
        if (onSave) return onSave();
        log.push_back("save");
    });
    Bind(wxEVT_DATE_CHANGED,
         [this](wxDateEvent& event) { log.push_back("date " + Utf8(event.GetDate().Format("%Y-%m-%d %H:%M"))); });
}

wxDialog* MakeNameDialog() {
    auto* dialog = new wxDialog(nullptr, wxID_ANY, Wide("输入楼栋/单元名称"));
    new wxTextCtrl(dialog, ids::kNodeNameEdit, "", wxPoint(10, 10));
    AddOkCancel(*dialog, 50);
    return dialog;
}

}  // namespace keltrov::test
