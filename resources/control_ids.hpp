#pragma once
// The ids of the plug-in's dialog templates, controls, menu commands and icons. The numbers are the
// names the objects carry in payroll.xrc; tests/dialog/resource_id_tests.cpp checks that they agree.
#include <cstddef>

namespace keltrov::ids {

// Dialog templates and the menu resource: the names of the top-level objects in payroll.xrc.
inline constexpr int kPayrollDialog = 8000;
inline constexpr int kNameInputDialog = 8001;
inline constexpr int kFillDialog = 8008;
inline constexpr int kCalendarDialog = 8009;
inline constexpr int kPopupMenus = 8000;

// The popups of the menu resource, by position.
inline constexpr size_t kTreePopup = 1;
inline constexpr size_t kFieldPopup = 2;
inline constexpr size_t kDateFieldPopup = 3;
inline constexpr size_t kSheetPopup = 4;

// Icons of the organisation tree's image list.
inline constexpr int kBuildingIcon = 8001;
inline constexpr int kPersonIcon = 8002;

// The payroll dialog's person form, named after the labels beside the fields.
inline constexpr int kCodeEdit = 1004;
inline constexpr int kNameEdit = 1005;
inline constexpr int kSexCombo = 8000;
inline constexpr int kIdNumberEdit = 1007;
inline constexpr int kDepartmentEdit = 1008;
inline constexpr int kPositionEdit = 1009;
inline constexpr int kInternalNumberEdit = 1010;

// The payroll dialog's other controls.
inline constexpr int kOrganisationTree = 4001;
inline constexpr int kSaveButton = 8001;
inline constexpr int kModifyButton = 8002;
inline constexpr int kRefreshWagesButton = 8003;
inline constexpr int kWageSheet = 8004;
inline constexpr int kWageDatePicker = 8005;
inline constexpr int kSaveWagesButton = 8006;
inline constexpr int kGenerateWagesButton = 8007;
inline constexpr int kRefreshTreeButton = 8008;

// The name dialog of new companies and departments.
inline constexpr int kNodeNameEdit = 1004;

// The range fill dialog.
inline constexpr int kFillTextEdit = 1004;
inline constexpr int kFillStartRowEdit = 1008;
inline constexpr int kFillEndRowEdit = 1009;
inline constexpr int kFillOperatorEdit = 1019;
inline constexpr int kFillBeforeCheck = 1036;

// The calendar dialog of a date field.
inline constexpr int kCalendar = 1075;

// Menu commands, as the system numbers them (menus carry them less kMenuIdOffset, see menu_ids.hpp).
inline constexpr int kAddDepartmentCommand = 32771;
inline constexpr int kAddCompanyCommand = 32772;
inline constexpr int kAddPersonCommand = 32773;
inline constexpr int kDeleteNodeCommand = 32774;
inline constexpr int kFillRangeCommand = 32775;
inline constexpr int kInsertListCommand = 32776;
inline constexpr int kInsertTimeCommand = 32777;
inline constexpr int kExportSheetCommand = 32778;
inline constexpr int kPrintSheetCommand = 32779;
inline constexpr int kEditClearCommand = 57632;
inline constexpr int kEditCopyCommand = 57634;
inline constexpr int kEditPasteCommand = 57637;

}  // namespace keltrov::ids
