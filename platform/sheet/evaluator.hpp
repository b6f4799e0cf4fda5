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
    // Visits every non-empty cell of the block from first to last (inclusive).
    virtual void ForEachCell(const CellRef& first, const CellRef& last,
                             const std::function<void(const Value&)>& visit) const = 0;
};

// Evaluates a parsed formula; errors come back as Kind::Error values, never as exceptions.
Value Evaluate(const Formula& formula, const CellSource& source);

}  // namespace keltrov::sheet
