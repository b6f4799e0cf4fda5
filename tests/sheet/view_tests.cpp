#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/grid.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/sheet/sheet_control.hpp"
#include "platform/sheet/sheet_xrc.hpp"
#include "platform/util/global_memory.hpp"
#include "tests/sheet/test_images.hpp"
#include "wages/f1book.hpp"

namespace keltrov::sheet {
namespace {

constexpr int kSheetId = 8004;

// What the dialog sees of the control's context menus.
struct MenuLog {
    int count = 0;
    int id = 0;
    wxPoint position;
};

class SheetView : public ::testing::Test {
protected:
    void SetUp() override {
        frame_ = new wxFrame(nullptr, wxID_ANY, "sheet", wxPoint(10, 10), wxSize(900, 700));
        parent_ = new wxPanel(frame_);
        parent_->Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& e) {
            ++menus_.count;
            menus_.id = e.GetId();
            menus_.position = e.GetPosition();
        });
        sheet_ = MakeSheet();
        sheet_->SetSize(0, 0, 880, 660);
        frame_->Show();
        wxYield();
    }

    void TearDown() override { delete frame_; }

    virtual SheetControl* MakeSheet() { return new SheetControl(parent_, kSheetId); }

    wxGrid& Grid() { return *sheet_->GetGrid(); }

    // Types into the cell with the grid's own in-place editor, as a user does.
    void TypeWithEditor(int row, int col, const wxString& typed) {
        Grid().SetGridCursor(row - 1, col - 1);
        ASSERT_TRUE(Grid().CanEnableCellControl());
        Grid().EnableCellEditControl();
        wxGridCellEditor* editor = Grid().GetCellEditor(row - 1, col - 1);
        auto* text = dynamic_cast<wxTextCtrl*>(editor->GetControl());
        editor->DecRef();
        ASSERT_NE(text, nullptr);
        startedWith_ = text->GetValue();
        text->SetValue(typed);
        Grid().SaveEditControlValue();
        Grid().DisableCellEditControl();
    }

    wxFrame* frame_ = nullptr;
    wxPanel* parent_ = nullptr;
    SheetControl* sheet_ = nullptr;
    MenuLog menus_;
    wxString startedWith_;
};

TEST_F(SheetView, TypingInTheGridFollowsTheEntryRuleAndRecalculates) {
    TypeWithEditor(1, 1, "5");
    TypeWithEditor(1, 2, "=A1*2");
    TypeWithEditor(1, 3, "007 agent");
    Workbook& book = sheet_->GetWorkbook();
    EXPECT_EQ(book.GetCellKind(1, 1), CellKind::Number);
    EXPECT_EQ(book.GetCellFormula(1, 2), "A1*2");
    EXPECT_EQ(book.GetCellKind(1, 3), CellKind::Text);
    EXPECT_EQ(Grid().GetCellValue(0, 1), "10");

    TypeWithEditor(1, 2, "=A1*3");
    EXPECT_EQ(startedWith_, "=A1*2");  // the editor opens on the formula, not on its result
    TypeWithEditor(1, 1, "7");
    EXPECT_EQ(Grid().GetCellValue(0, 1), "21");

    TypeWithEditor(1, 2, "=A1*");  // refused: the cell keeps its formula
    EXPECT_EQ(book.GetCellFormula(1, 2), "A1*3");

    sheet_->EnterCellText(2, 1, "=SUM(A1:C1)");
    EXPECT_EQ(Grid().GetCellValue(1, 0), "28");
    EXPECT_THROW(sheet_->EnterCellText(2, 1, "=SUM("), FormulaError);
    EXPECT_EQ(book.GetCellFormula(2, 1), "SUM(A1:C1)");
}

TEST_F(SheetView, CurrentCellFollowsTheGridCursor) {
    Grid().SetGridCursor(4, 2);
    CellPosition at = sheet_->GetCurrentCell();
    EXPECT_EQ(at.row, 5);
    EXPECT_EQ(at.column, 3);
    Grid().MoveCursorDown(false);
    Grid().MoveCursorRight(false);
    int32_t row = 0, col = 0;
    sheet_->Invoke(dispid::kGetCurrentCell, InvokeKind::Method, {Variant::Pi4(&row), Variant::Pi4(&col)});
    EXPECT_EQ(row, 6);
    EXPECT_EQ(col, 4);

    sheet_->SetCurrentCell(300, 2);
    EXPECT_EQ(Grid().GetGridCursorRow(), 299);
    EXPECT_EQ(Grid().GetGridCursorCol(), 1);
    EXPECT_THROW(sheet_->SetCurrentCell(0, 1), LimitError);
}

TEST_F(SheetView, RightClickGoesToTheParentAsAContextMenuWithTheControlsId) {
    wxGridEvent click(Grid().GetId(), wxEVT_GRID_CELL_RIGHT_CLICK, &Grid(), 3, 1, 40, 20);
    Grid().GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(menus_.count, 1);
    EXPECT_EQ(menus_.id, kSheetId);
    EXPECT_EQ(menus_.position, Grid().GetGridWindow()->ClientToScreen(wxPoint(40, 20)));
    EXPECT_EQ(sheet_->GetCurrentCell().row, 4);
    EXPECT_EQ(sheet_->GetCurrentCell().column, 2);

    wxYield();  // lets the click's follow-up window pass
    wxContextMenuEvent key(wxEVT_CONTEXT_MENU, Grid().GetGridWindow()->GetId(), wxDefaultPosition);
    key.SetEventObject(Grid().GetGridWindow());
    Grid().GetGridWindow()->GetEventHandler()->ProcessEvent(key);
    EXPECT_EQ(menus_.count, 2);
    EXPECT_EQ(menus_.id, kSheetId);
    EXPECT_EQ(menus_.position, wxDefaultPosition);
}

TEST_F(SheetView, GridShowsTheWorkbookWithLabelsWidthsBoldAndUsedArea) {
    Workbook& book = sheet_->GetWorkbook();
    sheet_->Invoke(dispid::kCellNumber, InvokeKind::PropertyPut, {Variant::I4(500), Variant::I4(30), Variant::R8(1.5)});
    book.SetColumnWidth(2, 20);
    book.SetBold(1, 1, true);
    book.SetCellText(1, 1, "工资");
    sheet_->SyncGrid();
    EXPECT_EQ(Grid().GetNumberRows(), 550);
    EXPECT_EQ(Grid().GetNumberCols(), 30);
    EXPECT_EQ(Grid().GetColLabelValue(0), "A");
    EXPECT_EQ(Grid().GetColLabelValue(27), "AB");
    EXPECT_EQ(Grid().GetRowLabelValue(499), "500");
    EXPECT_EQ(Grid().GetColSize(1), 145);
    EXPECT_EQ(Grid().GetCellValue(499, 29), "1.5");
    EXPECT_EQ(Grid().GetCellValue(0, 0), wxString::FromUTF8("工资"));
    EXPECT_TRUE(Grid().GetCellFont(0, 0).GetWeight() >= wxFONTWEIGHT_BOLD);
    EXPECT_FALSE(Grid().GetCellFont(0, 1).GetWeight() >= wxFONTWEIGHT_BOLD);

    book.Clear();
    sheet_->SyncGrid();
    EXPECT_EQ(Grid().GetNumberRows(), 100);
    EXPECT_EQ(Grid().GetNumberCols(), 26);
}

// A merged block is one cell of the grid: its top-left cell spans it, the others point back to it.
TEST_F(SheetView, MergedBlocksSpanTheirCellsInTheGrid) {
    Workbook& book = sheet_->GetWorkbook();
    book.SetCellText(2, 2, "实发合计");
    book.MergeCells({2, 2, 3, 4});
    sheet_->SyncGrid();
    int rows = 0, columns = 0;
    EXPECT_EQ(Grid().GetCellSize(1, 1, &rows, &columns), wxGrid::CellSpan_Main);
    EXPECT_EQ(std::pair(rows, columns), std::pair(2, 3));
    EXPECT_EQ(Grid().GetCellSize(2, 3, &rows, &columns), wxGrid::CellSpan_Inside);
    EXPECT_EQ(std::pair(rows, columns), std::pair(-1, -2));
    EXPECT_EQ(Grid().GetCellSize(1, 4, &rows, &columns), wxGrid::CellSpan_None);
    EXPECT_GT(Grid().CellToRect(1, 1).GetWidth(), Grid().GetColSize(1) + Grid().GetColSize(2));
}

TEST(SheetXrc, DeclaresTheControlInAResource) {
    RegisterSheetXrcHandler();
    RegisterSheetXrcHandler();
    wxXmlResource::Get()->InitAllHandlers();
    auto path = std::filesystem::temp_directory_path() / "keltrov-sheet-test.xrc";
    std::ofstream(path) << R"(<?xml version="1.0"?>
<resource xmlns="http://www.wxwidgets.org/wxxrc" version="2.5.3.0">
  <object class="wxFrame" name="sheet_frame">
    <object class="keltrovSheet" name="8004"><pos>5,6</pos><size>400,300</size></object>
  </object>
</resource>)";
    ASSERT_TRUE(wxXmlResource::Get()->Load(path.string()));
    wxFrame* frame = wxXmlResource::Get()->LoadFrame(nullptr, "sheet_frame");
    std::filesystem::remove(path);
    ASSERT_NE(frame, nullptr);
    auto* sheet = dynamic_cast<SheetControl*>(frame->FindWindow(kSheetId));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->GetPosition(), wxPoint(5, 6));
    sheet->GetWorkbook().SetCellNumber(1, 1, 2);
    EXPECT_EQ(sheet->GetGrid()->GetCellValue(0, 0), "2");
    delete frame;
}

// Records each automation call on its way into the real control.
class RecordingSheet : public SheetControl {
public:
    struct Call {
        int dispid;
        InvokeKind kind;
        std::vector<VariantType> types;
    };

    using SheetControl::SheetControl;

    Variant Invoke(int dispid, InvokeKind kind, const std::vector<Variant>& args) override {
        Call call{dispid, kind, {}};
        for (const Variant& arg : args) {
            call.types.push_back(arg.Type());
        }
        calls.push_back(call);
        return SheetControl::Invoke(dispid, kind, args);
    }

    std::vector<Call> calls;
};

class WrapperView : public SheetView {
protected:
    SheetControl* MakeSheet() override {
        recorder_ = new RecordingSheet(parent_, kSheetId);
        book_.Attach(recorder_);
        return recorder_;
    }

    // The one call the last operation made.
    RecordingSheet::Call OnlyCall() {
        EXPECT_EQ(recorder_->calls.size(), 1u);
        RecordingSheet::Call call = recorder_->calls.empty() ? RecordingSheet::Call{} : recorder_->calls.back();
        recorder_->calls.clear();
        return call;
    }

    void ExpectCall(int dispid, InvokeKind kind, std::vector<VariantType> types) {
        RecordingSheet::Call call = OnlyCall();
        EXPECT_EQ(call.dispid, dispid);
        EXPECT_EQ(call.kind, kind);
        EXPECT_EQ(call.types, types);
    }

    RecordingSheet* recorder_ = nullptr;
    CF1Book book_;
};

using VT = VariantType;

TEST_F(WrapperView, EachOperationIsOneAutomationCallOfItsOwnShape) {
    EXPECT_EQ(book_.GetWindow(), recorder_);

    book_.SetCellNumber(3, 2, 4.5);
    ExpectCall(279, InvokeKind::PropertyPut, {VT::I4, VT::I4, VT::R8});
    EXPECT_EQ(book_.GetCellNumber(3, 2), 4.5);
    ExpectCall(279, InvokeKind::PropertyGet, {VT::I4, VT::I4});

    book_.SetCellFormula(4, 2, "B3*2");
    ExpectCall(276, InvokeKind::PropertyPut, {VT::I4, VT::I4, VT::BSTR});
    EXPECT_EQ(book_.GetCellFormula(4, 2), "B3*2");
    ExpectCall(276, InvokeKind::PropertyGet, {VT::I4, VT::I4});

    book_.SetCellText(1, 1, "编号");
    ExpectCall(281, InvokeKind::PropertyPut, {VT::I4, VT::I4, VT::BSTR});
    EXPECT_EQ(book_.GetCellText(4, 2), "9");
    ExpectCall(281, InvokeKind::PropertyGet, {VT::I4, VT::I4});

    Grid().SetGridCursor(6, 4);
    long row = 0, col = 0;
    book_.GetCurrentCell(&row, &col);
    ExpectCall(169, InvokeKind::Method, {VT::PI4, VT::PI4});
    EXPECT_EQ(row, 7);
    EXPECT_EQ(col, 5);

    book_.InsertCells(3, -1, 3, -1, 3);
    ExpectCall(178, InvokeKind::Method, {VT::I4, VT::I4, VT::I4, VT::I4, VT::I4});
    EXPECT_EQ(book_.GetCellFormula(5, 2), "B4*2");
    OnlyCall();

    book_.InsertCells(3, -1, 4, -1, 3);
    ExpectCall(178, InvokeKind::Method, {VT::I4, VT::I4, VT::I4, VT::I4, VT::I4});
    book_.FillFormulasDown(7, 8, 2, 2);
    ExpectCall(dispid::kFillFormulasDown, InvokeKind::Method, {VT::I4, VT::I4, VT::I4, VT::I4});
    EXPECT_EQ(book_.GetCellFormula(8, 2), "B7*2");
    OnlyCall();
    book_.SetRowValues(6, 1, {Variant::Bstr("编号"), Variant::R8(2)});
    ExpectCall(dispid::kSetRowValues, InvokeKind::Method, {VT::I4, VT::I4, VT::Array});
    EXPECT_EQ(book_.GetCellText(8, 2), "8");
    OnlyCall();

    std::vector<uint8_t> image = testing::XlsxImage(
        [](lxw_workbook*, lxw_worksheet* sheet) { worksheet_write_string(sheet, 1, 1, "loaded", nullptr); });
    uint32_t handle = GlobalAlloc(image.size());
    std::memcpy(GlobalLock(handle).data(), image.data(), image.size());
    book_.LoadFromMemory(static_cast<long>(handle), 0);
    GlobalFree(handle);
    ExpectCall(203, InvokeKind::Method, {VT::I4, VT::I2});
    EXPECT_EQ(sheet_->GetWorkbook().GetCellText(2, 2), "loaded");
    EXPECT_EQ(sheet_->GetWorkbook().GetCellText(3, 2), "");

    EXPECT_THROW(book_.SetCellNumber(0, 1, 1), AutomationError);
    EXPECT_THROW(book_.InsertCells(3, 1, 3, 1, 3), AutomationError);
}

class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

}  // namespace
}  // namespace keltrov::sheet

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new keltrov::sheet::TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        return 1;
    }
    int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
