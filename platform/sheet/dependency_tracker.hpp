#pragma once

// Which formulas read which cells, so that an edit sends exactly the formulas that depend on it
// back to be calculated. Private to the workbook.

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/sheet/workbook_store.hpp"

namespace keltrov::sheet {

class DependencyTracker {
public:
    // Gives the row of a sheet (0-based sheet, 1-based row), created when needed.
    using RowSource = std::function<Row&(int sheet, int row)>;

    explicit DependencyTracker(RowSource rows) : rows_(std::move(rows)) {}

    // Starts or stops listening for the cells the formula's references read.
    void Add(FormulaCell& formula);
    void Remove(FormulaCell& formula);
    // Marks every calculated formula that reads the cell, directly or through other formulas, as
    // waiting for calculation.
    void MarkDependentsDirty(Row& row, int column);
    // The same for every cell of a block of one sheet, whose rows are given (null where unused),
    // at the cost of one visit of the block instead of one marking per cell.
    void MarkDependentsDirty(const std::vector<std::unique_ptr<Row>>& rows, int sheet, const CellBlock& block);
    void Clear();

private:
    struct WideRange {
        FormulaCell* formula;
        int token;  // the index of the range among the formula's tokens
    };

    void Listen(FormulaCell& formula, bool add);
    std::vector<WideRange>& WideRangesOf(const Token& range, int column);
    using Visit = std::function<void(FormulaCell&)>;
    void ForEachDependent(Row& row, int column, const Visit& visit);
    void ForEachRowDependent(Row& row, int firstColumn, int lastColumn, const Visit& visit);
    void ForEachWideDependent(int sheet, const CellBlock& block, const Visit& visit);
    void MarkFrom(std::vector<FormulaCell*> work);

    RowSource rows_;
    std::vector<WideRange> wideRanges_;                                 // tall ranges over many columns
    std::unordered_map<int64_t, std::vector<WideRange>> wideByColumn_;  // tall ranges by sheet and column
};

}  // namespace keltrov::sheet
