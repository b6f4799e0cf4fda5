#pragma once

#include <functional>

#include "platform/sheet/formula.hpp"
#include "platform/sheet/value.hpp"

namespace keltrov::sheet {

// What a formula reads: the workbook, or a test double.
class CellSource {
public:
    virtual ~CellSource() = default;
    // The value of one cell; Kind::Empty for an empty cell.
    virtual Value CellValue(const RowAnchor* row, int column) const = 0;
    // Visits every non-empty cell of the block from first to last (inclusive), row by row, with
    // its position counted from the block's top-left corner.
    virtual void ForEachCell(const CellRef& first, const CellRef& last,
                             const std::function<void(int row, int column, const Value&)>& visit) const = 0;
    // The last row of the sheet that holds anything, so whole columns read as no more than that.
    virtual int LastUsedRow(int sheet) const = 0;
    // The cell whose formula is evaluated: row and column, 1-based.
    virtual std::pair<int, int> CurrentCell() const = 0;
    // Whether that formula is an array formula, whose ranges are read whole.
    virtual bool InArrayFormula() const = 0;
    // The workbook's date system, which date functions count in.
    virtual DateSystem Dates() const = 0;
};

// Evaluates a parsed formula; errors come back as Kind::Error values, never as exceptions. The
// result may be an array (an array formula, or a formula giving a range).
Value Evaluate(const Formula& formula, const CellSource& source);

}  // namespace keltrov::sheet
