#pragma once
// An opened payroll dialog on a test database, driven through its controls.
#include <wx/combobox.h>
#include <wx/treectrl.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog/payroll_dlg.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "tests/support/test_database.hpp"

namespace keltrov::test {

// One row of the person form's definition; what is left out is empty.
struct FormColumn {
    std::string column;
    std::string type;
    std::string style{};
    std::string source{};
    std::string defaultText{};
    std::string numbering{};
};

class DialogTest : public DatabaseTest {
protected:
    // The demo bank's catalogue, form, organisation, two months of wages and the demo template.
    void UseDemoData();
    void UseDemoTemplate();
    void Open();
    // One more row of the person form's definition, ordered after the earlier ones.
    void Definition(const std::string& column, const std::string& type, const std::string& style,
                    const std::string& source, const std::string& defaultText, const std::string& numbering = "");
    // The person form's whole definition, replacing what was there.
    void DefineForm(const std::vector<FormColumn>& columns);

    wxWindow& Control(int id) const;
    std::string Text(int id) const;
    wxTreeCtrl& Tree() const;
    sheet::Workbook& Sheet() const;
    std::vector<std::string> ComboItems(int id) const;
    // The tree as codes: "100(100001,100002),101".
    std::string TreeShape() const;
    wxTreeItemId FindNode(const std::string& code) const;
    void Select(const std::string& code);
    void Click(int id);
    void Command(int id);

    std::unique_ptr<CPayrollDlg> dialog;

private:
    int m_definitionOrder = 100;
};

}  // namespace keltrov::test
