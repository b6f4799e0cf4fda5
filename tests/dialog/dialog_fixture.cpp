#include "tests/dialog/dialog_fixture.hpp"

#include <wx/button.h>

#include "entry/host_state.hpp"
#include "host/host_tables.hpp"
#include "host/template_tool.hpp"
#include "platform/ui/menu_ids.hpp"
#include "platform/ui/tree_items.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/datetime.hpp"
#include "platform/util/sql_format.hpp"
#include "resources/control_ids.hpp"

namespace keltrov::test {

namespace {

std::string Shape(const wxTreeCtrl& tree, const wxTreeItemId& parent) {
    std::string shape;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree.GetFirstChild(parent, cookie); item.IsOk();
         item = tree.GetNextChild(parent, cookie)) {
        if (!shape.empty()) shape += ",";
        shape += GetItemString(tree, item);
        if (tree.HasChildren(item)) shape += "(" + Shape(tree, item) + ")";
    }
    return shape;
}

wxTreeItemId Find(const wxTreeCtrl& tree, const wxTreeItemId& parent, const std::string& code) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree.GetFirstChild(parent, cookie); item.IsOk();
         item = tree.GetNextChild(parent, cookie)) {
        if (GetItemString(tree, item) == code) return item;
        if (wxTreeItemId found = Find(tree, item, code); found.IsOk()) return found;
    }
    return {};
}

}  // namespace

void DialogTest::UseDemoData() {
    host::LoadDemoData(database.Db(), DateTime::Now());
    UseDemoTemplate();
    g_strBankId = host::kDemoBankId;
}

void DialogTest::UseDemoTemplate() {
    host::StoreWageTemplate(database.Db(), BuildDemoWageTemplate());
}

void DialogTest::Open() {
    dialog = std::make_unique<CPayrollDlg>();
    // Showing a dialog initialises it, as running it modally does.
    dialog->Show();
}

void DialogTest::Definition(const std::string& column, const std::string& type, const std::string& style,
                            const std::string& source, const std::string& defaultText, const std::string& numbering) {
    database.Exec(
        FormatSql("insert into usertabb200 (relationid, field_2, field_4, field_6, field_7, field_8, "
                  "field_9, field_11, field_14) values('%s','%s','%s','%s','%s','B811',%d,'%s','%s')",
                  host::kDemoBankId, column, type, style, source, ++m_definitionOrder, defaultText, numbering));
}

void DialogTest::DefineForm(const std::vector<FormColumn>& columns) {
    database.Exec("delete from usertabb200");
    for (const FormColumn& c : columns) Definition(c.column, c.type, c.style, c.source, c.defaultText, c.numbering);
}

wxWindow& DialogTest::Control(int id) const {
    wxWindow* control = dialog->FindWindow(id);
    if (control == nullptr) throw std::runtime_error("no control " + std::to_string(id));
    return *control;
}

std::string DialogTest::Text(int id) const {
    return GetWindowText(Control(id));
}

wxTreeCtrl& DialogTest::Tree() const {
    return *wxStaticCast(&Control(ids::kOrganisationTree), wxTreeCtrl);
}

sheet::Workbook& DialogTest::Sheet() const {
    return wxStaticCast(&Control(ids::kWageSheet), sheet::SheetControl)->GetWorkbook();
}

std::vector<std::string> DialogTest::ComboItems(int id) const {
    std::vector<std::string> items;
    for (const wxString& item : wxStaticCast(&Control(id), wxComboBox)->GetStrings()) items.push_back(FromWx(item));
    return items;
}

std::string DialogTest::TreeShape() const {
    return Shape(Tree(), Tree().GetRootItem());
}

wxTreeItemId DialogTest::FindNode(const std::string& code) const {
    return Find(Tree(), Tree().GetRootItem(), code);
}

void DialogTest::Select(const std::string& code) {
    const wxTreeItemId item = FindNode(code);
    if (!item.IsOk()) throw std::runtime_error("no node " + code);
    Tree().SelectItem(item);
}

void DialogTest::Click(int id) {
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(&Control(id));
    Control(id).GetEventHandler()->ProcessEvent(click);
}

void DialogTest::Command(int id) {
    wxCommandEvent command(wxEVT_MENU, MenuItemId(id));
    command.SetEventObject(dialog.get());
    dialog->GetEventHandler()->ProcessEvent(command);
}

}  // namespace keltrov::test
