#include "platform/sheet/dependency_tracker.hpp"

namespace keltrov::sheet {
namespace {

// Ranges taller than this are listened to from the columns they cover instead of from every row,
// and ranges wider than kWideRangeColumns from one list.
constexpr int kWideRangeRows = 64;
constexpr int kWideRangeColumns = 64;

bool Covers(const RangeListener& listener, int column) {
    return listener.firstColumn <= column && column <= listener.lastColumn;
}

bool Covers(const Token& range, const Row& row, int column) {
    return range.first.row->sheet == row.sheet && range.first.row->index <= row.index &&
           row.index <= range.last.row->index && range.first.column <= column && column <= range.last.column;
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
    return wideByColumn_[static_cast<int64_t>(range.first.row->sheet) * (kMaxColumns + 1) + column];
}

// A single cell is listened to from the cell; a range from each row it covers while short, else
// from each column it covers while narrow, else from one list: the cost stays bounded per range.
void DependencyTracker::Listen(FormulaCell& formula, bool add) {
    for (size_t i = 0; i < formula.tokens.size(); ++i) {
        const Token& token = formula.tokens[i];
        if (token.kind == TokenKind::Ref) {
            auto* row = static_cast<Row*>(token.first.row);
            if (add) {
                CellExtra& extra = row->Obtain(token.first.column).Extra();
                if (!extra.dependents) extra.dependents = std::make_unique<std::vector<FormulaCell*>>();
                extra.dependents->push_back(&formula);
            } else if (Cell* cell = row->Find(token.first.column);
                       cell && cell->FindExtra() && cell->FindExtra()->dependents) {
                std::erase(*cell->FindExtra()->dependents, &formula);
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
                std::vector<RangeListener>& ranges = rows_(token.first.row->sheet, r).ranges;
                if (add) {
                    ranges.push_back({&formula, token.first.column, token.last.column});
                } else {
                    std::erase_if(ranges, [&formula](const RangeListener& l) { return l.owner == &formula; });
                }
            }
        }
    }
}

void DependencyTracker::ForEachDependent(Row& row, int column, const std::function<void(FormulaCell&)>& visit) {
    CellExtra* extra = row.Find(column) ? row.Find(column)->FindExtra() : nullptr;
    if (extra && extra->dependents) {
        for (FormulaCell* dependent : *extra->dependents) {
            visit(*dependent);
        }
    }
    for (const RangeListener& listener : row.ranges) {
        if (Covers(listener, column)) {
            visit(*listener.owner);
        }
    }
    auto visitWide = [&](const std::vector<WideRange>& list) {
        for (const WideRange& entry : list) {
            // Marking stops at formulas already waiting, so they need no range test.
            if (entry.formula->state == FormulaCell::State::Calculated &&
                Covers(entry.formula->tokens[entry.token], row, column)) {
                visit(*entry.formula);
            }
        }
    };
    if (auto it = wideByColumn_.find(static_cast<int64_t>(row.sheet) * (kMaxColumns + 1) + column);
        it != wideByColumn_.end()) {
        visitWide(it->second);
    }
    visitWide(wideRanges_);
}

// A formula already waiting for calculation has its dependents waiting too, so marking stops there.
void DependencyTracker::MarkDependentsDirty(Row& row, int column) {
    std::vector<FormulaCell*> work;
    auto mark = [&work](FormulaCell& dependent) {
        if (dependent.state == FormulaCell::State::Calculated) {
            dependent.state = FormulaCell::State::Dirty;
            work.push_back(&dependent);
        }
    };
    ForEachDependent(row, column, mark);
    while (!work.empty()) {
        FormulaCell* formula = work.back();
        work.pop_back();
        ForEachDependent(*formula->row, formula->column, mark);
    }
}

}  // namespace keltrov::sheet
