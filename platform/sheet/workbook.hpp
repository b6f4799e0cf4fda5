#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sheet/value.hpp"
#include "platform/sheet/variant.hpp"

namespace keltrov::sheet {

enum class CellKind : uint8_t { Empty, Text, Number, Formula };

struct CellStyle {
    std::string numberFormat;  // xlsx-style code; empty means General
    bool bold = false;
    bool operator==(const CellStyle&) const = default;
};

struct Row;
struct Cell;
struct FormulaCell;

// One sheet of cells addressed from (1,1): up to kMaxRows rows and columns A..ZZ. Formulas are
// recalculated on demand: a change marks what depends on it, reading a value computes it.
// Every public call checks its coordinates and throws AutomationError when they are off the sheet.
class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // What the cell shows: text, number in its format, formula result or error text.
    std::string GetCellText(int row, int column) const;
    // The number the cell holds or computes; 0 when it holds nothing numeric.
    double GetCellNumber(int row, int column) const;
    // The formula without "=", or empty when the cell holds none.
    std::string GetCellFormula(int row, int column) const;
    // The cell's evaluated value (Kind::Empty for an empty cell).
    Value GetCellValue(int row, int column) const;
    CellKind GetCellKind(int row, int column) const;
    // What an editor starts with: "=formula", the number at full precision, or the text.
    std::string GetEditText(int row, int column) const;

    // Stores the text as it is, even when it reads as a number; an empty text clears the cell.
    void SetCellText(int row, int column, std::string text);
    void SetCellNumber(int row, int column, double number);
    // Accepts the formula with or without "="; throws AutomationError when it does not parse.
    void SetCellFormula(int row, int column, std::string_view formula);
    // What typing does: "=..." is a formula, text that reads as a number a number, else text.
    void EnterText(int row, int column, std::string_view typed);
    void ClearCell(int row, int column);

    void SetNumberFormat(int row, int column, std::string formatCode);
    void SetBold(int row, int column, bool bold);
    CellStyle GetStyle(int row, int column) const;

    // Width in characters; 0 means the default width.
    void SetColumnWidth(int column, double characters);
    double GetColumnWidth(int column) const;

    // Inserts an empty row at `row`, moving references as spreadsheet apps do; the new row takes
    // the formats of the row above.
    void InsertRows(int row);

    void Clear();
    // Replaces everything with the xlsx or ods image in a global memory block; a failed load
    // leaves an empty workbook and throws AutomationError.
    void LoadFromMemory(uint32_t handle);
    void LoadImage(std::span<const uint8_t> image);

    // The last row and column holding content (0 when the sheet is empty).
    int UsedRows() const;
    int UsedColumns() const;
    // Visits every cell holding content, row by row.
    void ForEachCell(const std::function<void(int row, int column)>& visit) const;

    void RecalculateAll();
    // Grows with every change, so a view can tell when to repaint.
    uint64_t ChangeCount() const { return changeCount_; }

private:
    class Reader;

    Row& RowAt(int row);
    Row* FindRow(int row) const;
    const Cell* FindCell(int row, int column) const;
    Cell& PrepareCell(int row, int column);
    void Changed(Row& row, int column);
    void Register(FormulaCell& formula);
    void Unregister(FormulaCell& formula);
    void MarkDependentsDirty(Row& row, int column);
    void ForEachDependent(Row& row, int column, const std::function<void(FormulaCell&)>& visit);
    void EnsureCalculated(FormulaCell& formula) const;
    uint16_t StyleIndex(const CellStyle& style);
    void ChangeStyle(int row, int column, const std::function<void(CellStyle&)>& change);

    std::vector<std::unique_ptr<Row>> rows_;                // rows_[i] is row i+1, null when unused
    std::vector<std::pair<FormulaCell*, int>> wideRanges_;  // formula and token index of tall ranges
    std::vector<CellStyle> styles_;
    std::vector<double> columnWidths_;
    uint64_t changeCount_ = 0;
};

void CheckCellAddress(int row, int column);

}  // namespace keltrov::sheet
