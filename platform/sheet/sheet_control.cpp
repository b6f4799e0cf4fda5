#include "platform/sheet/sheet_control.hpp"

#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

#include "platform/sheet/cell_look.hpp"
#include "platform/ui/window_text.hpp"

namespace keltrov::sheet {

namespace {

constexpr int kMinShownRows = 100;
constexpr int kSpareShownRows = 50;
constexpr int kMinShownColumns = 26;

}  // namespace

// The grid's window on the workbook: nothing is copied, every cell is read when painted.
class SheetTable : public wxGridTableBase {
public:
    explicit SheetTable(Workbook& book) : book_(book) {
        for (int bold = 0; bold < 2; ++bold) {
            for (int right = 0; right < 2; ++right) {
                wxGridCellAttr* attr = new wxGridCellAttr;
                if (bold) {
                    wxFont font = wxNORMAL_FONT->Bold();
                    attr->SetFont(font);
                }
                attr->SetAlignment(right ? wxALIGN_RIGHT : wxALIGN_LEFT, wxALIGN_CENTER_VERTICAL);
                attrs_[bold][right] = attr;
            }
        }
    }

    ~SheetTable() override {
        for (auto& pair : attrs_) {
            for (wxGridCellAttr* attr : pair) {
                attr->DecRef();
            }
        }
    }

    int GetNumberRows() override { return rows_; }
    int GetNumberCols() override { return columns_; }

    bool IsEmptyCell(int row, int col) override { return book_.GetCellKind(row + 1, col + 1) == CellKind::Empty; }

    wxString GetValue(int row, int col) override { return ToWx(book_.GetCellText(row + 1, col + 1)); }

    // In-place editing ends here; a formula that does not parse is refused with a beep.
    void SetValue(int row, int col, const wxString& value) override {
        try {
            Enter(row, col, value);
        } catch (const SheetError&) {
            wxBell();
        }
    }

    // What typing does (0-based): the entry rule decides between formula, number and text.
    void Enter(int row, int col, const wxString& value) { book_.EnterText(row + 1, col + 1, FromWx(value)); }

    wxString GetColLabelValue(int col) override { return ToWx(ColumnName(col + 1)); }
    wxString GetRowLabelValue(int row) override { return wxString::Format("%d", row + 1); }

    wxGridCellAttr* GetAttr(int row, int col, wxGridCellAttr::wxAttrKind) override {
        CellLook look = LookOfCell(book_, row + 1, col + 1);
        wxGridCellAttr* attr = attrs_[look.bold][look.rightAligned];
        if (std::optional<CellBlock> block = book_.MergedBlockAt(row + 1, col + 1)) {
            return Spanned(*attr, *block, row + 1, col + 1);
        }
        attr->IncRef();
        return attr;
    }

    // Shows the used area plus a margin; tells the grid when the counts change.
    void Resize(int minRows) {
        int rows = std::min(kMaxRows, std::max({book_.UsedRows() + kSpareShownRows, kMinShownRows, minRows}));
        int columns = std::min(kMaxColumns, std::max(book_.UsedColumns(), kMinShownColumns));
        Notify(rows_, rows, wxGRIDTABLE_NOTIFY_ROWS_APPENDED, wxGRIDTABLE_NOTIFY_ROWS_DELETED);
        Notify(columns_, columns, wxGRIDTABLE_NOTIFY_COLS_APPENDED, wxGRIDTABLE_NOTIFY_COLS_DELETED);
    }

private:
    // The top-left cell of a merged block spans it; the others point back to it, as the grid expects.
    static wxGridCellAttr* Spanned(const wxGridCellAttr& base, const CellBlock& block, int row, int column) {
        wxGridCellAttr* attr = base.Clone();
        if (row == block.firstRow && column == block.firstColumn) {
            attr->SetSize(block.lastRow - block.firstRow + 1, block.lastColumn - block.firstColumn + 1);
        } else {
            attr->SetSize(block.firstRow - row, block.firstColumn - column);
        }
        return attr;
    }

    void Notify(int& current, int wanted, int appended, int deleted) {
        if (wanted == current || !GetView()) {
            current = wanted;
            return;
        }
        int old = current;
        current = wanted;
        wxGridTableMessage message = wanted > old ? wxGridTableMessage(this, appended, wanted - old)
                                                  : wxGridTableMessage(this, deleted, wanted, old - wanted);
        GetView()->ProcessTableMessage(message);
    }

    Workbook& book_;
    int rows_ = kMinShownRows;
    int columns_ = kMinShownColumns;
    wxGridCellAttr* attrs_[2][2] = {};
};

namespace {

// Starts editing with what the cell holds ("=SUM(A1:A3)"), not with what it shows.
class SheetCellEditor : public wxGridCellTextEditor {
public:
    explicit SheetCellEditor(Workbook& book) : book_(book) {}

    void BeginEdit(int row, int col, wxGrid* grid) override {
        wxGridCellTextEditor::BeginEdit(row, col, grid);
        Text()->SetValue(ToWx(book_.GetEditText(row + 1, col + 1)));
        Text()->SetInsertionPointEnd();
    }

    wxGridCellEditor* Clone() const override { return new SheetCellEditor(book_); }

private:
    Workbook& book_;
};

}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(SheetControl, wxPanel);

SheetControl::SheetControl() = default;

SheetControl::SheetControl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name) {
    Create(parent, id, pos, size, style, name);
}

SheetControl::~SheetControl() = default;

bool SheetControl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                          const wxString& name) {
    if (!wxPanel::Create(parent, id, pos, size, style, name)) {
        return false;
    }
    grid_ = new wxGrid(this, wxID_ANY);
    table_ = new SheetTable(book_);
    grid_->SetTable(table_, true);
    grid_->SetDefaultEditor(new SheetCellEditor(book_));
    grid_->SetRowLabelSize(48);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid_, 1, wxEXPAND);
    SetSizer(sizer);

    grid_->Bind(wxEVT_GRID_CELL_RIGHT_CLICK, &SheetControl::OnCellRightClick, this);
    grid_->Bind(wxEVT_GRID_LABEL_RIGHT_CLICK, &SheetControl::OnCellRightClick, this);
    Bind(wxEVT_CONTEXT_MENU, &SheetControl::OnContextMenu, this);
    Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
        SyncGrid();
        event.Skip();
    });
    SyncGrid();
    return true;
}

Variant SheetControl::Invoke(int dispid, InvokeKind kind, const std::vector<Variant>& args) {
    return InvokeSheet(book_, GetCurrentCell(), dispid, kind, args);
}

CellPosition SheetControl::GetCurrentCell() const {
    int row = grid_->GetGridCursorRow();
    int col = grid_->GetGridCursorCol();
    return row < 0 || col < 0 ? CellPosition{} : CellPosition{row + 1, col + 1};
}

void SheetControl::SetCurrentCell(int row, int column) {
    CheckCellAddress(row, column);
    if (row > grid_->GetNumberRows() || column > grid_->GetNumberCols()) {
        table_->Resize(row);
    }
    grid_->SetGridCursor(row - 1, column - 1);
    grid_->MakeCellVisible(row - 1, column - 1);
}

void SheetControl::EnterCellText(int row, int column, const std::string& text) {
    SetCurrentCell(row, column);
    table_->Enter(row - 1, column - 1, ToWx(text));
    SyncGrid();
}

void SheetControl::SetDesignWorkbook(std::vector<DesignCell> cells) {
    designCells_ = std::move(cells);
    RestoreDesignWorkbook();
}

void SheetControl::RestoreDesignWorkbook() {
    book_.Clear();
    for (const DesignCell& cell : designCells_) {
        book_.SetCellText(cell.row, cell.column, cell.text);
    }
    SyncGrid();
}

void SheetControl::SyncGrid() {
    if (book_.ChangeCount() == syncedChanges_) {
        return;
    }
    syncedChanges_ = book_.ChangeCount();
    grid_->BeginBatch();
    table_->Resize(grid_->GetGridCursorRow() + 1);
    ApplyColumnWidths();
    grid_->EndBatch();
    grid_->ForceRefresh();
}

void SheetControl::ApplyColumnWidths() {
    int columns = grid_->GetNumberCols();
    appliedWidths_.resize(columns, -1);
    for (int c = 0; c < columns; ++c) {
        int pixels = ColumnPixels(book_, c + 1, grid_->GetDefaultColSize());
        if (appliedWidths_[c] != pixels) {
            grid_->SetColSize(c, pixels);
            appliedWidths_[c] = pixels;
        }
    }
}

void SheetControl::OnCellRightClick(wxGridEvent& event) {
    // The toolkit may follow the click with a context menu event of its own; that one is dropped.
    clickForwarded_ = true;
    CallAfter([this] { clickForwarded_ = false; });
    if (event.GetRow() >= 0 && event.GetCol() >= 0) {
        grid_->SetGridCursor(event.GetRow(), event.GetCol());
    }
    wxWindow* origin = event.GetEventObject() == grid_ ? grid_->GetGridWindow() : grid_;
    ForwardContextMenu(origin->ClientToScreen(event.GetPosition()));
}

// Menus the toolkit raises itself (right click outside the cells, the keyboard's menu key) go to the
// parent too; a request from the keyboard keeps having no position, as the parent expects.
void SheetControl::OnContextMenu(wxContextMenuEvent& event) {
    if (clickForwarded_) {
        return;
    }
    ForwardContextMenu(event.GetPosition());
}

void SheetControl::ForwardContextMenu(const wxPoint& screenPoint) {
    wxWindow* parent = GetParent();
    if (!parent) {
        return;
    }
    wxContextMenuEvent menu(wxEVT_CONTEXT_MENU, GetId(), screenPoint);
    menu.SetEventObject(this);
    parent->GetEventHandler()->ProcessEvent(menu);
}

}  // namespace keltrov::sheet
