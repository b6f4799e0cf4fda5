#pragma once
// The sheet on paper: its used area cut into pages the way the grid shows it, the caption rows
// heading every page and the page's number at its foot.
#include <wx/gdicmn.h>
#include <wx/print.h>

#include <optional>
#include <vector>

#include "platform/sheet/workbook.hpp"

class wxDC;

namespace keltrov::sheet {

// A4 landscape: a wage sheet is wider than it is long.
inline const wxSize kSheetPaperMM{297, 210};

// Lengths are in screen pixels (96 an inch), the unit of the grid's column widths; a page is drawn
// on a device context whose scale maps them onto the paper.
class SheetPages {
public:
    // The first captionRows rows of the sheet head every page.
    SheetPages(const Workbook& book, int captionRows, wxSize paperMM);

    int Count() const { return static_cast<int>(pages_.size()); }
    wxSize PaperPixels() const { return paper_; }
    // page is 1-based.
    void Draw(wxDC& dc, int page) const;

private:
    struct Span {
        int first = 1;
        int last = 0;  // last < first: none
    };
    struct Page {
        Span rows;
        Span columns;
    };

    std::vector<Span> CutColumns(int usedColumns) const;
    std::vector<Span> CutRows(int usedRows) const;
    void DrawRows(wxDC& dc, Span rows, Span columns, int top) const;
    void DrawCell(wxDC& dc, const wxRect& box, int row, int column, int overflowRight) const;
    void DrawPageNumber(wxDC& dc, int page) const;
    wxRect BoxOf(int row, int column, Span rows, Span columns, int top) const;
    int ColumnLeft(int column, Span columns) const;

    const Workbook& book_;
    Span captions_;
    wxSize paper_;
    wxRect body_;                    // the printable area within the margins
    std::vector<int> columnWidths_;  // by column, from index 1
    std::vector<Page> pages_;
};

// The printout behind the preview and the toolkit's print dialog. The workbook must stay unchanged
// while the printout lives.
class SheetPrintout : public wxPrintout {
public:
    SheetPrintout(const Workbook& book, int captionRows, const wxString& title);

    void OnPreparePrinting() override;
    bool HasPage(int page) override;
    void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;
    bool OnPrintPage(int page) override;

private:
    const Workbook& book_;
    int captionRows_;
    std::optional<SheetPages> pages_;
};

}  // namespace keltrov::sheet
