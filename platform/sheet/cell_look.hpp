#pragma once
// How a cell looks wherever the sheet is shown: on screen and on paper.
#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {

inline constexpr double kPixelsPerCharacter = 7.0;
inline constexpr int kColumnPadding = 5;  // spreadsheet apps add a few pixels of margin to a width in characters

// The cell's text is what Workbook::GetCellText gives, in the cell's number format.
struct CellLook {
    bool bold = false;
    bool rightAligned = false;  // numbers stand right, everything else left
};

CellLook LookOfCell(const Workbook& book, int row, int column);

// The column's width in screen pixels; a column without a width of its own takes defaultPixels.
int ColumnPixels(const Workbook& book, int column, int defaultPixels);

}  // namespace keltrov::sheet
