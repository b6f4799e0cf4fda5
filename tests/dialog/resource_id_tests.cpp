// The named ids against the dialog templates and the menu they name: each id finds a control of
// the kind its name says, and each popup holds the commands it is named for.
#include <wx/button.h>
#include <wx/calctrl.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <functional>
#include <memory>

#include "input/calendar_dlg.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/menu_ids.hpp"
#include "platform/ui/menu_resource.hpp"
#include "resources/control_ids.hpp"
#include "resources/resources.hpp"
#include "tests/dialog/dialog_fixture.hpp"
#include "tree/name_input_dlg.hpp"
#include "wages/fill_dlg.hpp"

namespace keltrov::test {
namespace {

struct NamedControl {
    int id;
    const char* kind;
    std::function<bool(wxWindow*)> isKind;
};

template <class Control>
NamedControl Expect(int id, const char* kind) {
    return {id, kind, [](wxWindow* window) { return dynamic_cast<Control*>(window) != nullptr; }};
}

void ExpectControls(const wxWindow& dialog, const std::vector<NamedControl>& controls) {
    for (const NamedControl& control : controls) {
        wxWindow* found = dialog.FindWindow(control.id);
        ASSERT_NE(found, nullptr) << "no control " << control.id;
        EXPECT_TRUE(control.isKind(found)) << "control " << control.id << " is no " << control.kind;
    }
}

using ResourceIds = DialogTest;

TEST_F(ResourceIds, EveryControlOfThePayrollDialogIsOfItsKind) {
    Open();
    ExpectControls(*dialog, {
                                Expect<wxTextCtrl>(ids::kCodeEdit, "edit"),
                                Expect<wxTextCtrl>(ids::kNameEdit, "edit"),
                                Expect<wxComboBox>(ids::kSexCombo, "combo box"),
                                Expect<wxTextCtrl>(ids::kIdNumberEdit, "edit"),
                                Expect<wxTextCtrl>(ids::kDepartmentEdit, "edit"),
                                Expect<wxTextCtrl>(ids::kPositionEdit, "edit"),
                                Expect<wxTextCtrl>(ids::kInternalNumberEdit, "edit"),
                                Expect<wxTreeCtrl>(ids::kOrganisationTree, "tree"),
                                Expect<wxButton>(ids::kSaveButton, "button"),
                                Expect<wxButton>(ids::kModifyButton, "button"),
                                Expect<wxButton>(ids::kRefreshWagesButton, "button"),
                                Expect<sheet::SheetControl>(ids::kWageSheet, "sheet"),
                                Expect<wxDatePickerCtrl>(ids::kWageDatePicker, "date picker"),
                                Expect<wxButton>(ids::kSaveWagesButton, "button"),
                                Expect<wxButton>(ids::kGenerateWagesButton, "button"),
                                Expect<wxButton>(ids::kRefreshTreeButton, "button"),
                            });
}

TEST_F(ResourceIds, EveryControlOfTheSmallDialogsIsOfItsKind) {
    resources::LoadPayrollResources();
    const auto name = std::make_unique<CNameInputDlg>(nullptr);
    ExpectControls(*name, {Expect<wxTextCtrl>(ids::kNodeNameEdit, "edit")});
    const auto fill = std::make_unique<CFillDlg>();
    ExpectControls(*fill, {
                              Expect<wxTextCtrl>(ids::kFillTextEdit, "edit"),
                              Expect<wxTextCtrl>(ids::kFillStartRowEdit, "edit"),
                              Expect<wxTextCtrl>(ids::kFillEndRowEdit, "edit"),
                              Expect<wxTextCtrl>(ids::kFillOperatorEdit, "edit"),
                              Expect<wxCheckBox>(ids::kFillBeforeCheck, "check box"),
                          });
    const auto calendar = std::make_unique<CCalendarDlg>();
    ExpectControls(*calendar, {Expect<wxCalendarCtrlBase>(ids::kCalendar, "calendar")});
}

TEST(ResourceMenu, EveryPopupHoldsTheCommandsItIsNamedFor) {
    resources::LoadPayrollResources();
    const std::vector<std::pair<size_t, std::vector<int>>> popups{
        {ids::kTreePopup, {ids::kDeleteNodeCommand}},
        {ids::kFieldPopup,
         {ids::kInsertListCommand, ids::kEditClearCommand, ids::kEditCopyCommand, ids::kEditPasteCommand}},
        {ids::kDateFieldPopup,
         {ids::kInsertTimeCommand, ids::kEditClearCommand, ids::kEditCopyCommand, ids::kEditPasteCommand}},
        {ids::kSheetPopup, {ids::kFillRangeCommand, ids::kExportSheetCommand, ids::kPrintSheetCommand}},
    };
    for (const auto& [position, commands] : popups) {
        const std::unique_ptr<wxMenu> popup = LoadPopupMenu(std::to_string(ids::kPopupMenus), position);
        std::vector<int> held;
        for (const wxMenuItem* item : popup->GetMenuItems()) held.push_back(CommandOfMenuItem(item->GetId()));
        EXPECT_EQ(held, commands) << "popup " << position;
    }
}

}  // namespace
}  // namespace keltrov::test
