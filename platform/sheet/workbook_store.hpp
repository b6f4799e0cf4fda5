#pragma once

// The workbook's storage, shared by its implementation files only.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/sheet/formula.hpp"
#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {

struct FormulaCell {
    enum class State : uint8_t { Dirty, Visiting, Calculated };

    Row* row = nullptr;
    int column = 0;
    Formula tokens;
    std::string unparsed;  // the text of a loaded formula the engine cannot parse; tokens are empty
    Value result;
    State state = State::Dirty;
    bool circular = false;
    // A cell of an array formula: the element it shows, counted from the block's top-left corner.
    bool arrayFormula = false;
    int arrayRow = 0;
    int arrayColumn = 0;
};

// What few cells have, kept apart so that the many number cells stay small.
struct CellExtra {
    std::string text;
    std::vector<FormulaCell*> dependents;  // formulas naming this cell on its own
};

struct Cell {
    int column = 0;
    CellKind kind = CellKind::Empty;
    uint16_t style = 0;
    double number = 0.0;
    std::unique_ptr<FormulaCell> formula;
    std::unique_ptr<CellExtra> extra;

    const std::string& Text() const {
        static const std::string kNone;
        return extra ? extra->text : kNone;
    }
    CellExtra& Extra() {
        if (!extra) {
            extra = std::make_unique<CellExtra>();
        }
        return *extra;
    }
};

// A formula whose range covers this row, for the columns given.
struct RangeListener {
    FormulaCell* owner = nullptr;
    int firstColumn = 0;
    int lastColumn = 0;
    bool operator==(const RangeListener&) const = default;
};

struct Row : RowAnchor {
    Row(int rowIndex, int sheetIndex) : RowAnchor{rowIndex, sheetIndex} {}

    std::vector<Cell> cells;  // sorted by column
    std::vector<RangeListener> ranges;

    std::vector<Cell>::iterator LowerBound(int column) {
        return std::lower_bound(cells.begin(), cells.end(), column,
                                [](const Cell& cell, int c) { return cell.column < c; });
    }

    Cell* Find(int column) {
        auto it = LowerBound(column);
        return it != cells.end() && it->column == column ? &*it : nullptr;
    }

    // Finds or creates the cell; creating may move the other cells of the row.
    Cell& Obtain(int column) {
        auto it = LowerBound(column);
        if (it == cells.end() || it->column != column) {
            it = cells.insert(it, Cell{});
            it->column = column;
        }
        return *it;
    }
};

}  // namespace keltrov::sheet

namespace keltrov::sheet {

struct Sheet {
    std::string name;
    std::vector<std::unique_ptr<Row>> rows;  // rows[i] is row i+1, null when unused
    RowAnchor top;                           // the ends of whole-column references
    RowAnchor bottom;
    std::vector<CellBlock> merged;
};

}  // namespace keltrov::sheet
