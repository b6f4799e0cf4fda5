#include "platform/sheet/cell_look.hpp"

#include <cmath>

namespace keltrov::sheet {

CellLook LookOfCell(const Workbook& book, int row, int column) {
    return {book.GetStyle(row, column).bold, book.GetCellValue(row, column).kind == Value::Kind::Number};
}

int ColumnPixels(const Workbook& book, int column, int defaultPixels) {
    double characters = book.GetColumnWidth(column);
    return characters > 0 ? static_cast<int>(std::lround(characters * kPixelsPerCharacter)) + kColumnPadding
                          : defaultPixels;
}

}  // namespace keltrov::sheet
