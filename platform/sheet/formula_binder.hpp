#pragma once

// References as written ("$B7", "C:C", "3:5") bound to the workbook's row objects, moved by the
// shift of a formula copied elsewhere. Private to the formula engine.

#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sheet/formula.hpp"

namespace keltrov::sheet {

// A cell reference as written: column letters and row digits, each optionally after "$".
struct WrittenRef {
    int row = 0;
    int column = 0;
    bool absoluteRow = false;
    bool absoluteColumn = false;
};

// A whole-column ("$A") or whole-row ("$12") end of a range as written.
struct WrittenLine {
    int number = 0;
    bool absolute = false;
};

std::optional<WrittenRef> ReadWrittenRef(std::string_view word);
std::optional<WrittenLine> ReadWrittenLine(std::string_view word, bool columns);

// Turns written references into Ref and Range tokens; one that the shift moves off the sheet, or
// that names no sheet of the workbook, becomes #REF!.
class ReferenceBuilder {
public:
    ReferenceBuilder(ReferenceBinder& binder, ReferenceShift shift) : binder_(binder), shift_(shift) {}

    // A cell, or with `last` a block kept top-left to bottom-right whichever corners were written.
    Token Cells(const std::string& sheet, const WrittenRef& first, const std::optional<WrittenRef>& last) const;
    // Whole columns ("A:C") or whole rows ("1:3").
    Token Lines(const std::string& sheet, bool columns, WrittenLine a, WrittenLine b) const;

private:
    std::optional<CellRef> Bind(const WrittenRef& written, const std::string& sheet) const;

    ReferenceBinder& binder_;
    ReferenceShift shift_;
};

Token ErrorToken(ErrorCode code);

// The formula text with the row of each relative cell reference written as its distance from the
// formula's row: formulas filled down a column have the same one. Empty for a text it cannot
// vouch for. Two texts alike here parse alike, but for those rows.
std::string RowRelativeText(std::string_view text, int row);

// The formula as the same text parses `rows` further down, its relative rows moved; nothing for one
// that holds a name, whose reading may depend on more, or a block with one row fixed and one not.
std::optional<Formula> MoveRowsDown(const Formula& formula, int rows, ReferenceBinder& binder);

// Binds every reference to a row object of its own, for formula text that belongs to no workbook.
class StandAloneBinder : public ReferenceBinder {
public:
    RowAnchor* RowOf(std::string_view, int row) override;
    std::pair<RowAnchor*, RowAnchor*> ColumnEnds(std::string_view) override { return {&top_, &bottom_}; }

private:
    std::deque<RowAnchor> rows_;  // a deque keeps their addresses
    RowAnchor top_{1, 0};
    RowAnchor bottom_{kMaxRows, 0};
};

}  // namespace keltrov::sheet
