#include "platform/sheet/sheet_printout.hpp"

#include <wx/dc.h>

#include <algorithm>

#include "platform/sheet/cell_look.hpp"
#include "platform/ui/window_text.hpp"

namespace keltrov::sheet {

namespace {

constexpr double kPixelsPerMM = 96.0 / 25.4;
constexpr int kMarginMM = 12;
constexpr int kRowPixels = 22;
constexpr int kDefaultColumnPixels = 80;  // the grid's width for a column without one of its own
constexpr int kTextPadding = 3;
const wxColour kGridLineColour(192, 192, 192);

int ToPixels(int mm) {
    return static_cast<int>(mm * kPixelsPerMM + 0.5);
}

// Merged blocks may reach beyond the last cell with content; they are part of what is shown.
CellBlock UsedArea(const Workbook& book) {
    CellBlock area{1, 1, book.UsedRows(), book.UsedColumns()};
    for (const CellBlock& block : book.MergedBlocks()) {
        area.lastRow = std::max(area.lastRow, block.lastRow);
        area.lastColumn = std::max(area.lastColumn, block.lastColumn);
    }
    return area;
}

// What fits of the text; cut rather than clipped, as a context on a PDF has no size and its
// clipping would cover nothing once reset.
wxString CutToWidth(wxDC& dc, wxString text, int width) {
    while (!text.empty() && dc.GetTextExtent(text).x > width) text.RemoveLast();
    return text;
}

// A number too wide for its cell shows as "###", as spreadsheet apps print it: a cut number would
// read as another number.
wxString NumberInWidth(wxDC& dc, const wxString& text, int width) {
    if (dc.GetTextExtent(text).x <= width) return text;
    const int hashWidth = std::max(1, dc.GetTextExtent("#").x);
    return wxString('#', std::max(1, width / hashWidth));
}

wxString PageNumberText(int page, int count) {
    return ToWx("第 " + std::to_string(page) + " 页，共 " + std::to_string(count) + " 页");
}

}  // namespace

SheetPages::SheetPages(const Workbook& book, int captionRows, wxSize paperMM)
    : book_(book),
      paper_(ToPixels(paperMM.x), ToPixels(paperMM.y)),
      body_(ToPixels(kMarginMM), ToPixels(kMarginMM), paper_.x - 2 * ToPixels(kMarginMM),
            paper_.y - 2 * ToPixels(kMarginMM)) {
    const CellBlock used = UsedArea(book);
    captions_ = {1, std::min(captionRows, used.lastRow)};
    columnWidths_.assign(used.lastColumn + 1, 0);
    for (int c = 1; c <= used.lastColumn; ++c) columnWidths_[c] = ColumnPixels(book, c, kDefaultColumnPixels);
    const std::vector<Span> rowSpans = CutRows(used.lastRow);
    // Down, then over: the pages of the first columns come first, as spreadsheet apps print.
    for (Span columns : CutColumns(used.lastColumn)) {
        for (Span rows : rowSpans) pages_.push_back({rows, columns});
    }
}

// Each page takes as many whole columns as fit its width, and at least one; an empty sheet has
// one page without columns.
std::vector<SheetPages::Span> SheetPages::CutColumns(int usedColumns) const {
    std::vector<Span> spans;
    for (int first = 1; first <= usedColumns; first = spans.back().last + 1) {
        int last = first;
        for (int width = columnWidths_[first]; last < usedColumns && width + columnWidths_[last + 1] <= body_.width;)
            width += columnWidths_[++last];
        spans.push_back({first, last});
    }
    if (spans.empty()) spans.push_back({1, 0});
    return spans;
}

// The rows below the captions, as many a page as fit under them, and at least one.
std::vector<SheetPages::Span> SheetPages::CutRows(int usedRows) const {
    const int captionCount = captions_.last - captions_.first + 1;
    const int perPage = std::max(1, body_.height / kRowPixels - captionCount);
    std::vector<Span> spans;
    for (int first = captions_.last + 1; first <= usedRows; first += perPage) {
        spans.push_back({first, std::min(usedRows, first + perPage - 1)});
    }
    if (spans.empty()) spans.push_back({captions_.last + 1, captions_.last});  // the captions alone
    return spans;
}

void SheetPages::Draw(wxDC& dc, int page) const {
    const Page& shown = pages_.at(page - 1);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(*wxBLACK);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    DrawRows(dc, captions_, shown.columns, body_.y);
    DrawRows(dc, shown.rows, shown.columns, body_.y + (captions_.last - captions_.first + 1) * kRowPixels);
    DrawPageNumber(dc, page);
}

// One band of consecutive rows; a merged block is drawn once, cut to the band and the page.
void SheetPages::DrawRows(wxDC& dc, Span rows, Span columns, int top) const {
    for (int r = rows.first; r <= rows.last; ++r) {
        for (int c = columns.first; c <= columns.last; ++c) {
            std::optional<CellBlock> block = book_.MergedBlockAt(r, c);
            if (block &&
                (r != std::max(block->firstRow, rows.first) || c != std::max(block->firstColumn, columns.first)))
                continue;
            const wxRect box = BoxOf(r, c, rows, columns, top);
            int overflowRight = box.GetRight();
            // Left-standing text runs on over empty neighbours, as in the grid.
            for (int next = c + 1; !block && next <= columns.last && !book_.MergedBlockAt(r, next) &&
                                   book_.GetCellKind(r, next) == CellKind::Empty;
                 ++next) {
                overflowRight += columnWidths_[next];
            }
            const CellBlock cell = block.value_or(CellBlock{r, c, r, c});
            DrawCell(dc, box, cell.firstRow, cell.firstColumn, overflowRight);
        }
    }
}

wxRect SheetPages::BoxOf(int row, int column, Span rows, Span columns, int top) const {
    CellBlock cell = book_.MergedBlockAt(row, column).value_or(CellBlock{row, column, row, column});
    const int lastRow = std::min(cell.lastRow, rows.last);
    const int lastColumn = std::min(cell.lastColumn, columns.last);
    const int left = ColumnLeft(column, columns);
    return {left, top + (row - rows.first) * kRowPixels, ColumnLeft(lastColumn + 1, columns) - left,
            (lastRow - row + 1) * kRowPixels};
}

int SheetPages::ColumnLeft(int column, Span columns) const {
    int left = body_.x;
    for (int c = columns.first; c < column; ++c) left += columnWidths_[c];
    return left;
}

void SheetPages::DrawCell(wxDC& dc, const wxRect& box, int row, int column, int overflowRight) const {
    dc.SetPen(wxPen(kGridLineColour));
    dc.DrawRectangle(box.x, box.y, box.width + 1, box.height + 1);
    const wxString text = ToWx(book_.GetCellText(row, column));
    if (text.empty()) return;
    const CellLook look = LookOfCell(book_, row, column);
    wxFont font = *wxNORMAL_FONT;
    dc.SetFont(look.bold ? font.Bold() : font);
    const int room = (look.rightAligned ? box.GetRight() : overflowRight) - box.x - 2 * kTextPadding;
    const wxString shown = look.rightAligned ? NumberInWidth(dc, text, room) : CutToWidth(dc, text, room);
    const wxSize extent = dc.GetTextExtent(shown);
    const int x = look.rightAligned ? box.GetRight() - kTextPadding - extent.x : box.x + kTextPadding;
    dc.DrawText(shown, x, box.y + (box.height - extent.y) / 2);
}

void SheetPages::DrawPageNumber(wxDC& dc, int page) const {
    dc.SetFont(*wxNORMAL_FONT);
    const wxString text = PageNumberText(page, Count());
    const wxSize extent = dc.GetTextExtent(text);
    const int footTop = body_.GetBottom() + 1;
    dc.DrawText(text, (paper_.x - extent.x) / 2, footTop + (paper_.y - footTop - extent.y) / 2);
}

SheetPrintout::SheetPrintout(const Workbook& book, int captionRows, const wxString& title)
    : wxPrintout(title), book_(book), captionRows_(captionRows) {}

void SheetPrintout::OnPreparePrinting() {
    int widthMM = 0;
    int heightMM = 0;
    GetPageSizeMM(&widthMM, &heightMM);
    pages_.emplace(book_, captionRows_, wxSize(widthMM, heightMM));
}

bool SheetPrintout::HasPage(int page) {
    return pages_ && page >= 1 && page <= pages_->Count();
}

void SheetPrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
    *minPage = 1;
    *pageFrom = 1;
    *maxPage = pages_ ? pages_->Count() : 1;
    *pageTo = *maxPage;
}

bool SheetPrintout::OnPrintPage(int page) {
    wxDC* dc = GetDC();
    if (!dc || !HasPage(page)) return false;
    FitThisSizeToPaper(pages_->PaperPixels());
    pages_->Draw(*dc, page);
    return true;
}

}  // namespace keltrov::sheet
