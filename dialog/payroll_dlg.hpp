#pragma once
// The staff register and wage sheet screen, shown modally by indlg.
#include <wx/cursor.h>
#include <wx/dragimag.h>
#include <wx/imaglist.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/field_binding.hpp"
#include "platform/ui/edit_messages.hpp"
#include "platform/ui/guarded_dialog.hpp"
#include "platform/ui/pre_translate.hpp"
#include "platform/ui/wage_sheet_state.hpp"
#include "platform/util/global_memory.hpp"
#include "wages/f1book.hpp"
#include "wages/wage_statements.hpp"

class CDynRecordset;
class CFieldValue;
class wxContextMenuEvent;
class wxDatePickerCtrl;

class CPayrollDlg : public keltrov::GuardedDialog, public keltrov::WageSheetState {
public:
    static constexpr int kFocusChainSize = 100;

    CPayrollDlg();
    ~CPayrollDlg() override;

    int GetNextRow() const override { return m_nNextRow; }
    int GetRowCapacity() const override { return m_nRowCapacity; }
    const std::array<int, kFocusChainSize>& GetFocusChain() const { return m_anFocusChain; }
    int GetFirstFocusIndex() const { return m_nFirstFocus; }
    int GetLastFocusIndex() const { return m_nLastFocus; }
    const BindingTable* GetBindings() const { return m_pBindings.get(); }
    // The field an edit menu is opened for; its commands work on that binding entry.
    void SetMenuFieldIndex(int index) { m_nMenuFieldIndex = index; }

    // Shared logic of the handlers.
    std::unique_ptr<BindingTable> LoadFormDefinition(const std::string& formReportId);
    void FillComboFromSource(int controlId, const std::string& listSource);
    void LoadPickList(int controlId, const std::string& reportId, const std::string& columnName);
    void ClearForm();
    void LoadRecordIntoForm(const std::string& query);
    void LoadTree();
    void ResetSheet();
    void LoadWages(const std::string& nodeCode);

    // Person form saving and numbering. The save and the insert tell whether a row was stored and
    // committed; the number is empty when the sequence could not be read or written.
    bool SaveForm();
    // Runs inside the save's transaction before the row is read from the form; FALSE stores nothing.
    using BeforeFormRow = std::function<bool()>;
    bool InsertFormRecord(const std::string& reportId, const std::vector<std::string>& statements,
                          const BeforeFormRow& beforeRow = {});
    void SetNewRecordDefaults(const std::string& reportId);
    std::string NextNumber(const std::string& reportId, const std::string& columnName);

private:
    void FixTabOrder();
    // A child control by id; the dialog's own id is never matched.
    wxWindow* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    void ShowValue(const FieldBinding& entry, const CFieldValue& value);
    void ShowText(int controlId, const CFieldValue& value);
    // The text a save stores for a bound control: the loaded record's stored text while the
    // control still shows its conversion, else what the control shows.
    std::string StoredTextOf(int controlId) const;
    void AddComboItem(int controlId, const std::string& item);
    // Adds the first column of every row of the query to the combo box.
    void AddQueryItems(int controlId, const std::string& query);
    wxTreeCtrl& Tree() const;
    wxDatePickerCtrl& WageDatePicker() const;
    std::string NodeCodeOf(const wxTreeItemId& item) const;

    void OnInitDialog(wxInitDialogEvent& event);
    void InitialiseDialog();
    bool ReadSheetTemplate();
    void BuildFocusChain();
    void OnDestroy(wxWindowDestroyEvent& event);

    // Organisation tree.
    void FillLevel(wxTreeItemId parent, wxTreeItemId last, size_t levelLength, CDynRecordset& rows);
    wxTreeItemId InsertNode(wxTreeItemId parent, const std::string& code, CDynRecordset& rows);
    // Appends an item as the last child of parent, its code entered in the node code list.
    wxTreeItemId AppendNode(wxTreeItemId parent, const std::string& code, const std::string& name);
    // The highest code of the level under the parent in either table, or the parent's code
    // followed by "000" when the level is empty: the base of the next child code.
    std::string ChildCodeBase(const std::string& parentCode);
    // The next code under the parent, or after the highest company; none when the segment is used up.
    std::optional<std::string> NextFreeChildCode(const std::string& parentCode);
    std::optional<std::string> NextFreeCompanyCode();
    // TRUE when any organisation, person or wage row has the code or one below it.
    bool CodeInUse(const std::string& code);
    // The name typed in the name dialog without surrounding blanks; empty after "取消".
    std::string AskNodeName();
    using NodeInsert = std::function<std::string(const std::string& code, const std::string& name)>;
    using NextCode = std::function<std::optional<std::string>()>;
    // Adds a company or department under parent: the next code (none when used up), a name, its row.
    void AddOrganisationNode(wxTreeItemId parent, const NextCode& nextCode, const NodeInsert& insertFor);
    void OnRefreshTree(wxCommandEvent& event);
    void OnSelChanged(wxTreeEvent& event);
    void OnRefresh(wxCommandEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnAddDepartment(wxCommandEvent& event);
    void OnAddCompany(wxCommandEvent& event);
    void OnAddPerson(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnBeginDrag(wxTreeEvent& event);
    void OnLButtonUp(wxMouseEvent& event);
    void OnTimer(wxTimerEvent& event);

    // Person form.
    // Keeps the new person's code in the form, or moves it to the next free code when another user
    // has stored that code meanwhile; FALSE when the level has no free code left.
    bool TakeFreeCodeForNewPerson();
    void OnSave(wxCommandEvent& event);
    void OnModify(wxCommandEvent& event);
    void OnInsertList(wxCommandEvent& event);

    // Wage sheet.
    void PutWageRows(std::vector<std::vector<keltrov::sheet::Variant>> wageRows);
    // The period key of the wage report for the month in the date picker.
    std::string PickedMonthKey() const;
    WageRowValues SheetWageRow(int row);
    void OnGenerateWages(wxCommandEvent& event);
    void OnSaveWages(wxCommandEvent& event);
    // The wage date picker offers the years whose month keys sort in date order.
    void LimitWageDateRange();
    void OnFillRange(wxCommandEvent& event);
    void OnExportSheet(wxCommandEvent& event);
    void OnPrintSheet(wxCommandEvent& event);

    // Input aids. The pre-translation sees the key and mouse events of the dialog's windows first
    // and tells whether it consumed one.
    bool PreTranslateMessage(wxEvent& event, wxWindow& window);
    bool PreTranslateKey(wxKeyEvent& event, wxWindow& window);
    bool PreTranslateUp(const wxWindow* control);
    // Focuses the control of the focus chain's entry with all its text selected.
    void FocusChainEntry(int index);
    // The dialog's control that holds the window (a combo box for its edit part), or null.
    wxWindow* ControlOfMessage(wxWindow& window) const;
    // The binding entry of a control: its position, or -1 when the control is bound to none.
    int EntryIndexOf(const wxWindow* control) const;
    // The binding entry the edit menu was opened for, when it has a control; else null.
    const FieldBinding* MenuFieldEntry() const;
    void SendToMenuField(keltrov::EditMessage message);
    bool ShowEditPopup(wxWindow& window, const wxPoint& screenPoint);
    bool PopupCalendar(wxWindow& window);
    void OnInsertTime(wxCommandEvent& event);
    void OnEditPaste(wxCommandEvent& event);
    void OnEditCopy(wxCommandEvent& event);
    void OnEditClear(wxCommandEvent& event);
    keltrov::PreTranslateFilter m_preTranslate{
        *this, [this](wxEvent& event, wxWindow& window) { return PreTranslateMessage(event, window); }};

    // Moving persons by drag and drop.
    void Drop();
    struct MovedPersons {
        long count = 0;
        std::string lastCode;
    };
    // The move of every person row under the source code to consecutive codes under the target;
    // none when nothing was moved.
    std::optional<MovedPersons> MovePersons(const std::string& sourceCode, const std::string& targetCode);
    void ShowDropHighlight(const wxTreeItemId& item);
    void StopHoverTimer();

    struct DragState {
        bool dragging = false;
        wxTreeItemId dragItem;
        wxTreeItemId dropTarget;
        wxTreeItemId highlighted;
        int hoverTimer = 0;
    };

    std::vector<std::string> m_astrNodeCodes;
    wxImageList m_imageList;
    bool m_bModifyMode = false;
    // Bound controls showing a loaded text converted from another encoding: what they show, what is stored.
    struct ConvertedText {
        std::string shown;
        std::string stored;
    };
    std::map<int, ConvertedText> m_convertedTexts;
    keltrov::GlobalBlock m_templateImage;
    int m_nRowCapacity = 0;
    int m_nNextRow = 0;
    DragState m_drag;
    std::unique_ptr<wxDragImage> m_pDragImage;
    wxTimer m_hoverTimer;
    wxCursor m_overTreeCursor;
    wxCursor m_outsideCursor;
    std::unique_ptr<BindingTable> m_pBindings;
    std::string m_strFormTable;
    std::string m_strPersonReport;
    std::string m_strOrgReport;
    int m_nMenuFieldIndex = 0;
    std::array<int, kFocusChainSize> m_anFocusChain{};
    int m_nFirstFocus = 0;
    int m_nLastFocus = 0;
    CF1Book m_sheet;

    wxDECLARE_EVENT_TABLE();
};
