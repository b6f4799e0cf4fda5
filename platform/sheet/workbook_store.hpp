#pragma once

// The workbook's storage, shared by its implementation files only.

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sheet/cell_pool.hpp"
#include "platform/sheet/formula.hpp"
#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {

// The formulas naming a cell on its own: mostly one, which is held without an allocation.
class FormulaList {
public:
    void Add(FormulaCell* formula) {
        if (!first_) {
            first_ = formula;
        } else {
            more_.push_back(formula);
        }
    }
    // Every mention of the formula goes; the others keep their order.
    void Remove(FormulaCell* formula) {
        std::erase(more_, formula);
        if (first_ == formula) {
            first_ = more_.empty() ? nullptr : more_.front();
            if (first_) more_.erase(more_.begin());
        }
    }
    template <typename Visit>
    void ForEach(const Visit& visit) const {
        if (first_) visit(*first_);
        for (FormulaCell* formula : more_) visit(*formula);
    }

private:
    FormulaCell* first_ = nullptr;  // null only while the list is empty
    std::vector<FormulaCell*> more_;
};

// What few cells have, kept apart so that the many number cells stay small.
struct CellExtra : PoolAllocated<CellExtra> {
    explicit CellExtra(CellPool& pool) : text(&pool) {}

    std::pmr::string text;
    FormulaList dependents;
};

struct FormulaCell : PoolAllocated<FormulaCell> {
    enum class State : uint8_t { Dirty, Visiting, Calculated };

    // Its tokens come from its sheet's pool, as it does.
    explicit FormulaCell(CellPool& pool) : tokens(&pool) {}

    Row* row = nullptr;
    // A loaded formula the engine cannot parse is one Name token holding its text: it shows #NAME?
    // and reads back as written.
    Formula tokens;
    std::unique_ptr<CellExtra> extra;  // the formulas naming this formula's own cell
    Value result;
    int column = 0;
    // A cell of an array formula: the element it shows, counted from the block's top-left corner.
    int arrayRow = 0;
    int arrayColumn = 0;
    State state = State::Dirty;
    bool circular = false;
    bool arrayFormula = false;
};

// One cell of a row. A formula cell's body is its formula, any other cell's body its extra: one
// pointer for both keeps the many number cells at 24 bytes. A short text with no formula naming it
// takes the place of the number and the body, so that the many short texts need no extra.
class Cell {
public:
    int column = 0;
    CellKind kind = CellKind::Empty;

private:
    enum class Holds : uint8_t { Nothing, Extra, Formula, ShortText };
    Holds holds_ = Holds::Nothing;  // here, in the byte before `style` that would be padding

public:
    uint16_t style = 0;

    Cell() = default;
    Cell(Cell&& other) noexcept
        : column(other.column),
          kind(other.kind),
          holds_(std::exchange(other.holds_, Holds::Nothing)),
          style(other.style),
          payload_(std::exchange(other.payload_, Payload{})) {}
    Cell& operator=(Cell&& other) noexcept {
        if (this != &other) {
            Release();
            column = other.column;
            kind = other.kind;
            style = other.style;
            holds_ = std::exchange(other.holds_, Holds::Nothing);
            payload_ = std::exchange(other.payload_, Payload{});
        }
        return *this;
    }
    ~Cell() { Release(); }

    double Number() const { return holds_ == Holds::ShortText ? 0.0 : payload_.pair.number; }
    void SetNumber(double number) {
        if (holds_ == Holds::ShortText) ForgetShortText();
        payload_.pair.number = number;
    }

    FormulaCell* Formula() const { return holds_ == Holds::Formula ? static_cast<FormulaCell*>(Body()) : nullptr; }

    // The cell's extra goes with the formula while it holds one, and comes back when it is taken.
    // A formula goes only into a cell whose formula has been taken (and unregistered).
    void SetFormula(std::unique_ptr<FormulaCell> formula) {
        if (holds_ == Holds::ShortText) ForgetShortText();
        formula->extra.reset(holds_ == Holds::Extra ? static_cast<CellExtra*>(Body()) : nullptr);
        if (formula->extra) formula->extra->text.clear();
        payload_.pair.body = formula.release();
        holds_ = Holds::Formula;
    }
    std::unique_ptr<FormulaCell> TakeFormula() {
        if (holds_ != Holds::Formula) return nullptr;
        std::unique_ptr<FormulaCell> formula(static_cast<FormulaCell*>(Body()));
        payload_.pair.body = formula->extra.release();
        holds_ = payload_.pair.body ? Holds::Extra : Holds::Nothing;
        return formula;
    }

    CellExtra* FindExtra() const {
        switch (holds_) {
            case Holds::Formula: return Formula()->extra.get();
            case Holds::Extra: return static_cast<CellExtra*>(Body());
            default: return nullptr;
        }
    }
    // A short text moves into the extra, which formulas naming the cell are listed in. An extra is made
    // in the pool of the cell's sheet.
    CellExtra& Extra(CellPool& pool) {
        if (holds_ == Holds::Formula) {
            std::unique_ptr<CellExtra>& owner = Formula()->extra;
            if (!owner) owner.reset(new (pool) CellExtra(pool));
            return *owner;
        }
        if (holds_ != Holds::Extra) {
            std::unique_ptr<CellExtra> extra(new (pool) CellExtra(pool));
            extra->text = Text();
            if (holds_ == Holds::ShortText) ForgetShortText();
            payload_.pair.body = extra.release();
            holds_ = Holds::Extra;
        }
        return *static_cast<CellExtra*>(Body());
    }

    std::string_view Text() const {
        switch (holds_) {
            case Holds::ShortText: return {payload_.text, static_cast<size_t>(payload_.text[kShortText])};
            case Holds::Extra: return static_cast<CellExtra*>(Body())->text;
            default: return {};
        }
    }
    // Only a cell without a formula holds a text.
    void SetText(std::string_view text, CellPool& pool) {
        if (holds_ == Holds::Extra || holds_ == Holds::Formula || text.size() > kShortText) {
            Extra(pool).text = text;
            return;
        }
        std::copy(text.begin(), text.end(), payload_.text);
        payload_.text[kShortText] = static_cast<char>(text.size());
        holds_ = Holds::ShortText;
    }
    void ClearText() {
        if (holds_ == Holds::ShortText) {
            ForgetShortText();
        } else if (CellExtra* extra = FindExtra()) {
            extra->text.clear();
        }
    }

    // The cell without its formula, which the copier binds anew, and without the formulas naming it,
    // which listen to the copy themselves.
    Cell CopyContents(CellPool& pool) const {
        Cell copy;
        copy.column = column;
        copy.kind = kind;
        copy.style = style;
        copy.SetNumber(Number());
        if (!Text().empty()) copy.SetText(Text(), pool);
        return copy;
    }
    // Asks memory early for the formula or extra, before a walk that frees or reads it.
    void PrefetchBody() const {
        if (holds_ == Holds::Extra || holds_ == Holds::Formula) __builtin_prefetch(Body());
    }

private:
    static constexpr size_t kShortText = 15;  // bytes; the sixteenth holds the length

    void* Body() const { return payload_.pair.body; }
    void ForgetShortText() {
        payload_.pair = {};
        holds_ = Holds::Nothing;
    }
    void Release() {
        if (holds_ == Holds::Formula) {
            delete static_cast<FormulaCell*>(Body());
        } else if (holds_ == Holds::Extra) {
            delete static_cast<CellExtra*>(Body());
        }
        payload_.pair = {};
        holds_ = Holds::Nothing;
    }

    union Payload {
        struct NumberAndBody {
            double number = 0.0;
            void* body = nullptr;
        } pair{};
        char text[kShortText + 1];
    } payload_;
};

// A form's row is read by a couple of sums across it: a row's list of ranges has room for them.
inline constexpr size_t kSumsAcrossRow = 2;

// A formula whose range covers this row, for the columns given.
struct RangeListener {
    FormulaCell* owner = nullptr;
    int firstColumn = 0;
    int lastColumn = 0;
    bool operator==(const RangeListener&) const = default;
};

// A row, its cells and their lists come from its sheet's pool.
struct Row : RowAnchor, PoolAllocated<Row> {
    Row(int rowIndex, int sheetIndex, CellPool& pool) : RowAnchor{rowIndex, sheetIndex}, cells(&pool), ranges(&pool) {}

    CellList cells;  // sorted by column
    std::pmr::vector<RangeListener> ranges;

    CellPool& Pool() const { return PoolOf(*this); }

    // Files and fills write a row left to right, so the end is tried first.
    CellList::iterator LowerBound(int column) {
        if (cells.empty() || cells.back().column < column) {
            return cells.end();
        }
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
    CellPool pool;  // first, so that it outlives the rows and formulas placed in it
    std::string name;
    std::vector<std::unique_ptr<Row>> rows;  // rows[i] is row i+1, null when unused
    RowAnchor top;                           // the ends of whole-column references
    RowAnchor bottom;
    std::vector<CellBlock> merged;
    // The formulas of a column: how many, and rows at or beyond their top and bottom (bounds move
    // with inserted rows, as they are rows; they widen only, until the column holds none).
    struct FormulaColumn {
        int count = 0;
        const RowAnchor* top = nullptr;
        const RowAnchor* bottom = nullptr;
    };
    std::vector<FormulaColumn> formulaColumns;  // up to the rightmost column that held a formula

    explicit Sheet(BlockStock& blocks) : pool(blocks) {}
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;
    // Dropping a big sheet waits on memory more than on the allocator: the rows some way ahead, and
    // the cells of those already asked for, are fetched while the current row is freed.
    ~Sheet() {
        constexpr size_t kRowsAhead = 12;
        constexpr size_t kCellsAhead = 6;
        constexpr size_t kBodiesAhead = 3;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (i + kRowsAhead < rows.size()) __builtin_prefetch(rows[i + kRowsAhead].get());
            if (const Row* ahead = i + kCellsAhead < rows.size() ? rows[i + kCellsAhead].get() : nullptr) {
                __builtin_prefetch(ahead->cells.data());
            }
            if (const Row* ahead = i + kBodiesAhead < rows.size() ? rows[i + kBodiesAhead].get() : nullptr) {
                for (const Cell& cell : ahead->cells) cell.PrefetchBody();
            }
            rows[i].reset();
        }
    }

    // Whether the block may hold a formula: one that holds none has no precedent to calculate first.
    bool MayHoldFormula(const CellRef& first, const CellRef& last) const {
        int lastColumn = std::min(last.column, static_cast<int>(formulaColumns.size()) - 1);
        for (int c = first.column; c <= lastColumn; ++c) {
            const FormulaColumn& column = formulaColumns[c];
            if (column.count > 0 && column.top->index <= last.row->index && first.row->index <= column.bottom->index) {
                return true;
            }
        }
        return false;
    }
    void CountFormula(const RowAnchor& row, int column, int change) {
        if (formulaColumns.size() <= static_cast<size_t>(column)) formulaColumns.resize(column + 1);
        FormulaColumn& counted = formulaColumns[column];
        counted.count += change;
        if (counted.count == 0) {
            counted = {};
        } else if (change > 0) {
            counted.top = !counted.top || row.index < counted.top->index ? &row : counted.top;
            counted.bottom = !counted.bottom || row.index > counted.bottom->index ? &row : counted.bottom;
        }
    }
};

}  // namespace keltrov::sheet
