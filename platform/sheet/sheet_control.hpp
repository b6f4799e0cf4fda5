#pragma once

#include <wx/panel.h>

#include <string>
#include <vector>

#include "platform/sheet/automation.hpp"
#include "platform/sheet/variant.hpp"
#include "platform/sheet/workbook.hpp"

class wxGrid;
class wxGridEvent;
class wxContextMenuEvent;

namespace keltrov::sheet {

class SheetTable;

// The spreadsheet control: a grid over its own workbook, driven by the user and by automation.
// A right click is handed to the parent as a wxEVT_CONTEXT_MENU event carrying the control's id.
class SheetControl : public wxPanel {
public:
    SheetControl();
    SheetControl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = 0, const wxString& name = "keltrovSheet");
    ~SheetControl() override;

    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0, const wxString& name = "keltrovSheet");

    // The automation entry (see automation.hpp); virtual so a client's calls can be observed.
    virtual Variant Invoke(int dispid, InvokeKind kind, const std::vector<Variant>& args);

    Workbook& GetWorkbook() { return book_; }
    wxGrid* GetGrid() const { return grid_; }

    // 1-based; (1,1) before the user has moved anywhere.
    CellPosition GetCurrentCell() const;
    void SetCurrentCell(int row, int column);
    // Types into a cell the way in-place editing does; a formula that does not parse is refused
    // with FormulaError and leaves the cell as it was.
    void EnterCellText(int row, int column, const std::string& text);

    // Brings the grid up to date with the workbook; also runs on idle after every change.
    void SyncGrid();

    // The workbook saved with the control at design time: captions the sheet shows until a
    // workbook image replaces them, and shows again when it is restored.
    struct DesignCell {
        int row;
        int column;
        std::string text;
    };
    void SetDesignWorkbook(std::vector<DesignCell> cells);
    void RestoreDesignWorkbook();

private:
    void OnCellRightClick(wxGridEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void ForwardContextMenu(const wxPoint& screenPoint);
    void ApplyColumnWidths();

    Workbook book_;
    wxGrid* grid_ = nullptr;
    SheetTable* table_ = nullptr;
    uint64_t syncedChanges_ = 0;
    std::vector<int> appliedWidths_;
    std::vector<DesignCell> designCells_;
    bool clickForwarded_ = false;

    wxDECLARE_DYNAMIC_CLASS(SheetControl);
};

}  // namespace keltrov::sheet
