#include "dialog/payroll_dlg.hpp"

#include <wx/datectrl.h>
#include <wx/xrc/xmlres.h>

#include <algorithm>
#include <stdexcept>

#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "entry/host_state.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/menu_ids.hpp"
#include "platform/ui/tab_stops.hpp"
#include "platform/ui/tree_items.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/datetime.hpp"
#include "resources/control_ids.hpp"
#include "resources/resources.hpp"

namespace {

namespace ids = keltrov::ids;

constexpr int kLastFocusLimit = 5;
constexpr int kHoverTimerId = 1;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CPayrollDlg, keltrov::GuardedDialog)
    EVT_CONTEXT_MENU(CPayrollDlg::OnContextMenu)
    EVT_MENU(keltrov::MenuItemId(ids::kAddDepartmentCommand), CPayrollDlg::OnAddDepartment)
    EVT_MENU(keltrov::MenuItemId(ids::kAddPersonCommand), CPayrollDlg::OnAddPerson)
    EVT_MENU(keltrov::MenuItemId(ids::kDeleteNodeCommand), CPayrollDlg::OnDelete)
    EVT_TREE_SEL_CHANGED(ids::kOrganisationTree, CPayrollDlg::OnSelChanged)
    EVT_MENU(keltrov::MenuItemId(ids::kAddCompanyCommand), CPayrollDlg::OnAddCompany)
    EVT_BUTTON(ids::kSaveButton, CPayrollDlg::OnSave)
    EVT_BUTTON(ids::kModifyButton, CPayrollDlg::OnModify)
    EVT_BUTTON(ids::kRefreshWagesButton, CPayrollDlg::OnRefresh)
    EVT_BUTTON(ids::kGenerateWagesButton, CPayrollDlg::OnGenerateWages)
    EVT_MENU(keltrov::MenuItemId(ids::kFillRangeCommand), CPayrollDlg::OnFillRange)
    EVT_MENU(keltrov::MenuItemId(ids::kExportSheetCommand), CPayrollDlg::OnExportSheet)
    EVT_MENU(keltrov::MenuItemId(ids::kPrintSheetCommand), CPayrollDlg::OnPrintSheet)
    EVT_BUTTON(ids::kSaveWagesButton, CPayrollDlg::OnSaveWages)
    EVT_MOTION(CPayrollDlg::OnMouseMove)
    EVT_TREE_BEGIN_DRAG(ids::kOrganisationTree, CPayrollDlg::OnBeginDrag)
    EVT_LEFT_UP(CPayrollDlg::OnLButtonUp)
    EVT_TIMER(wxID_ANY, CPayrollDlg::OnTimer)
    EVT_BUTTON(ids::kRefreshTreeButton, CPayrollDlg::OnRefreshTree)
    EVT_MENU(keltrov::MenuItemId(ids::kInsertListCommand), CPayrollDlg::OnInsertList)
    EVT_MENU(keltrov::MenuItemId(ids::kInsertTimeCommand), CPayrollDlg::OnInsertTime)
    EVT_MENU(keltrov::MenuItemId(ids::kEditPasteCommand), CPayrollDlg::OnEditPaste)
    EVT_MENU(keltrov::MenuItemId(ids::kEditCopyCommand), CPayrollDlg::OnEditCopy)
    EVT_MENU(keltrov::MenuItemId(ids::kEditClearCommand), CPayrollDlg::OnEditClear)
    EVT_WINDOW_DESTROY(CPayrollDlg::OnDestroy)
    EVT_INIT_DIALOG(CPayrollDlg::OnInitDialog)
wxEND_EVENT_TABLE()
// clang-format on

CPayrollDlg::CPayrollDlg()
    : m_hoverTimer(this, kHoverTimerId),
      m_overTreeCursor(keltrov::resources::DragCursor(true)),
      m_outsideCursor(keltrov::resources::DragCursor(false)) {
    keltrov::resources::LoadPayrollResources();
    if (!wxXmlResource::Get()->LoadDialog(this, nullptr, std::to_string(ids::kPayrollDialog))) {
        throw std::runtime_error("dialog template " + std::to_string(ids::kPayrollDialog) + " does not load");
    }
    // The template's name doubles as the window id in XRC; a dialog has no control id of its own.
    SetId(wxID_ANY);
    FixTabOrder();
    LimitWageDateRange();
}

CPayrollDlg::~CPayrollDlg() {
    // The destroy handler needs the whole object, so the event goes out before the members go.
    SendDestroyEvent();
}

// The toolkit orders Tab by position on screen unless told; the template's order is the tab order.
void CPayrollDlg::FixTabOrder() {
    // Moving a window reorders the child list, so the order is taken from a copy.
    const std::vector<wxWindow*> children(GetChildren().begin(), GetChildren().end());
    wxWindow* previous = nullptr;
    for (wxWindow* child : children) {
        if (previous != nullptr) child->MoveAfterInTabOrder(previous);
        previous = child;
    }
}

wxWindow* CPayrollDlg::GetDlgItem(int id) const {
    for (wxWindow* child : GetChildren()) {
        if (child->GetId() == id) return child;
    }
    return nullptr;
}

void CPayrollDlg::SetDlgItemText(int id, const std::string& text) {
    if (wxWindow* control = GetDlgItem(id)) keltrov::SetWindowText(*control, text);
}

wxTreeCtrl& CPayrollDlg::Tree() const {
    return *wxStaticCast(GetDlgItem(ids::kOrganisationTree), wxTreeCtrl);
}

wxDatePickerCtrl& CPayrollDlg::WageDatePicker() const {
    return *wxStaticCast(GetDlgItem(ids::kWageDatePicker), wxDatePickerCtrl);
}

std::string CPayrollDlg::NodeCodeOf(const wxTreeItemId& item) const {
    return keltrov::GetItemString(Tree(), item);
}

void CPayrollDlg::OnInitDialog(wxInitDialogEvent&) {
    InitialiseDialog();
    // As a dialog's initialisation returning TRUE does: the focus goes to the first tab stop.
    if (wxWindow* first = GetDlgItem(ids::kNameEdit)) first->SetFocus();
}

void CPayrollDlg::InitialiseDialog() {
    TransferDataToWindow();
    m_sheet.Attach(dynamic_cast<keltrov::sheet::SheetControl*>(GetDlgItem(ids::kWageSheet)));

    m_imageList.Create(32, 32, false, 3);
    m_imageList.Add(keltrov::resources::LoadIcon(ids::kBuildingIcon));
    m_imageList.Add(keltrov::resources::LoadIcon(ids::kPersonIcon));

    const keltrov::DateTime now = keltrov::DateTime::Now();
    m_strPersonReport = "B811";
    m_strOrgReport = "B810";
    m_strFormTable = "usertabb811";
    m_pBindings = LoadFormDefinition(m_strPersonReport);
    Tree().SetImageList(&m_imageList);
    keltrov::AttachItemStrings(Tree(), m_astrNodeCodes);
    keltrov::KeepTreeViewSelection(Tree());
    // An empty organisation still gets its sheet: the clerk who builds it from nothing needs the template.
    LoadTree();

    m_bModifyMode = false;
    WageDatePicker().SetValue(keltrov::ToWxDateTime(now));
    if (!ReadSheetTemplate()) return;

    ResetSheet();
    m_drag = DragState{};
    m_nMenuFieldIndex = -1;
    BuildFocusChain();
}

bool CPayrollDlg::ReadSheetTemplate() {
    CDynRecordset recordset(g_pDatabase);
    recordset.OpenSql(keltrov::sql::WageTemplate(), CDynRecordset::snapshot, CDynRecordset::readOnly);
    if (recordset.IsEOF()) return false;
    CFieldValue& image = recordset.GetFieldValue(recordset.GetFieldIndex("vbacode"));
    std::vector<unsigned char>* bytes = image.GetBinary();
    // An empty or non-binary image is no template: there is nothing the sheet could load.
    if (bytes == nullptr || bytes->empty()) return false;
    const uint32_t block = keltrov::GlobalAlloc(bytes->size());
    if (block == 0) throw std::bad_alloc();
    std::copy(bytes->begin(), bytes->end(), keltrov::GlobalLock(block).begin());
    keltrov::GlobalUnlock(block);
    m_templateImage.Reset(block);
    bytes->clear();
    return true;
}

void CPayrollDlg::BuildFocusChain() {
    m_anFocusChain.fill(0);
    m_anFocusChain[0] = ids::kNameEdit;
    const wxWindow* current = GetDlgItem(ids::kNameEdit);
    int collected = 1;
    for (int k = 1; k < kFocusChainSize && current != nullptr; ++k) {
        current = keltrov::NextTabStop(*this, *current, true);
        if (current == nullptr) break;
        m_anFocusChain[k] = current->GetId();
        ++collected;
    }
    m_nFirstFocus = 0;
    m_nLastFocus = std::min(kLastFocusLimit, collected);
}

void CPayrollDlg::OnDestroy(wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == this) m_pBindings.reset();
    event.Skip();
}
