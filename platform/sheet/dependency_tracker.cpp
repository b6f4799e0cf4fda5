#include "platform/sheet/dependency_tracker.hpp"

#include <algorithm>

namespace keltrov::sheet {
namespace {

// Ranges taller than this are listened to from the columns they cover instead of from every row,
// and ranges wider than kWideRangeColumns from one list.
constexpr int kWideRangeRows = 64;
constexpr int kWideRangeColumns = 64;

// Whether the range reads a cell of the block on the sheet.
bool Meets(const Token& range, int sheet, const CellBlock& block) {
    return range.first.row->sheet == sheet && range.first.row->index <= block.lastRow &&
           block.firstRow <= range.last.row->index && range.first.column <= block.lastColumn &&
           block.firstColumn <= range.last.column;
}

int64_t ColumnKey(int sheet, int column) {
    return static_cast<int64_t>(sheet) * (kMaxColumns + 1) + column;
}

void MarkDirty(FormulaCell& formula, std::vector<FormulaCell*>& work) {
    if (formula.state == FormulaCell::State::Calculated) {
        formula.state = FormulaCell::State::Dirty;
        work.push_back(&formula);
    }
}

int RangeRows(const Token& range) {
    return range.last.row->index - range.first.row->index + 1;
}

}  // namespace

void DependencyTracker::Add(FormulaCell& formula) {
    Listen(formula, true);
}

void DependencyTracker::Remove(FormulaCell& formula) {
    Listen(formula, false);
}

void DependencyTracker::Clear() {
    wideRanges_.clear();
    wideByColumn_.clear();
}

std::vector<DependencyTracker::WideRange>& DependencyTracker::WideRangesOf(const Token& range, int column) {
    if (range.last.column - range.first.column >= kWideRangeColumns) {
        return wideRanges_;
    }
    return wideByColumn_[ColumnKey(range.first.row->sheet, column)];
}

// A single cell is listened to from the cell; a range from each row it covers while short, else
// from each column it covers while narrow, else from one list: the cost stays bounded per range.
void DependencyTracker::Listen(FormulaCell& formula, bool add) {
    for (size_t i = 0; i < formula.tokens.size(); ++i) {
        const Token& token = formula.tokens[i];
        if (token.kind == TokenKind::Ref) {
            auto* row = static_cast<Row*>(token.first.row);
            if (add) {
                row->Obtain(token.first.column).Extra(row->Pool()).dependents.Add(&formula);
            } else if (Cell* cell = row->Find(token.first.column); cell && cell->FindExtra()) {
                cell->FindExtra()->dependents.Remove(&formula);
            }
        } else if (NamesBlock(token) && RangeRows(token) > kWideRangeRows) {
            int lastColumn =
                token.last.column - token.first.column >= kWideRangeColumns ? token.first.column : token.last.column;
            for (int c = token.first.column; c <= lastColumn; ++c) {
                std::vector<WideRange>& list = WideRangesOf(token, c);
                if (add) {
                    list.push_back({&formula, static_cast<int>(i)});
                } else {
                    std::erase_if(list, [&formula](const WideRange& entry) { return entry.formula == &formula; });
                }
            }
        } else if (NamesBlock(token)) {
            for (int r = token.first.row->index; r <= token.last.row->index; ++r) {
                std::pmr::vector<RangeListener>& ranges = rows_(token.first.row->sheet, r).ranges;
                if (add) {
                    if (ranges.capacity() == 0) ranges.reserve(kSumsAcrossRow);
                    ranges.push_back({&formula, token.first.column, token.last.column});
                } else {
                    std::erase_if(ranges, [&formula](const RangeListener& l) { return l.owner == &formula; });
                }
            }
        }
    }
}

void DependencyTracker::ForEachDependent(Row& row, int column, const Visit& visit) {
    ForEachRowDependent(row, column, column, visit);
    ForEachWideDependent(row.sheet, {row.index, column, row.index, column}, visit);
}

// Formulas reading the row's cells from firstColumn to lastColumn by name or through a short range.
void DependencyTracker::ForEachRowDependent(Row& row, int firstColumn, int lastColumn, const Visit& visit) {
    for (auto it = row.LowerBound(firstColumn); it != row.cells.end() && it->column <= lastColumn; ++it) {
        if (CellExtra* extra = it->FindExtra()) {
            extra->dependents.ForEach(visit);
        }
    }
    for (const RangeListener& listener : row.ranges) {
        if (listener.firstColumn <= lastColumn && firstColumn <= listener.lastColumn) visit(*listener.owner);
    }
}

// Tall ranges reading the block, from the lists of its columns or, for a block wider than the
// columns listened to, from every list.
void DependencyTracker::ForEachWideDependent(int sheet, const CellBlock& block, const Visit& visit) {
    auto visitWide = [&](const std::vector<WideRange>& list) {
        for (const WideRange& entry : list) {
            // Marking stops at formulas already waiting, so they need no range test.
            if (entry.formula->state == FormulaCell::State::Calculated &&
                Meets(entry.formula->tokens[entry.token], sheet, block)) {
                visit(*entry.formula);
            }
        }
    };
    const int64_t firstKey = ColumnKey(sheet, block.firstColumn);
    const int64_t lastKey = ColumnKey(sheet, block.lastColumn);
    if (lastKey - firstKey < static_cast<int64_t>(wideByColumn_.size())) {
        for (int64_t key = firstKey; key <= lastKey; ++key) {
            if (auto it = wideByColumn_.find(key); it != wideByColumn_.end()) visitWide(it->second);
        }
    } else {
        for (const auto& [key, list] : wideByColumn_) {
            if (firstKey <= key && key <= lastKey) visitWide(list);
        }
    }
    visitWide(wideRanges_);
}

// A formula already waiting for calculation has its dependents waiting too, so marking stops there.
void DependencyTracker::MarkDependentsDirty(Row& row, int column) {
    std::vector<FormulaCell*> work;
    ForEachDependent(row, column, [&work](FormulaCell& dependent) { MarkDirty(dependent, work); });
    MarkFrom(std::move(work));
}

void DependencyTracker::MarkDependentsDirty(const std::vector<std::unique_ptr<Row>>& rows, int sheet,
                                            const CellBlock& block) {
    std::vector<FormulaCell*> work;
    auto mark = [&work](FormulaCell& dependent) { MarkDirty(dependent, work); };
    const int lastRow = std::min(block.lastRow, static_cast<int>(rows.size()));
    for (int r = block.firstRow; r <= lastRow; ++r) {
        if (Row* row = rows[r - 1].get()) ForEachRowDependent(*row, block.firstColumn, block.lastColumn, mark);
    }
    ForEachWideDependent(sheet, block, mark);
    MarkFrom(std::move(work));
}

// Marks what depends on the formulas just marked, and so on down.
void DependencyTracker::MarkFrom(std::vector<FormulaCell*> work) {
    auto mark = [&work](FormulaCell& dependent) { MarkDirty(dependent, work); };
    while (!work.empty()) {
        FormulaCell* formula = work.back();
        work.pop_back();
        ForEachDependent(*formula->row, formula->column, mark);
    }
}

}  // namespace keltrov::sheet
