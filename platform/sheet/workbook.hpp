#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/sheet/errors.hpp"
#include "platform/sheet/value.hpp"

namespace keltrov::sheet {

enum class CellKind : uint8_t { Empty, Text, Number, Formula, Bool, Error };

struct CellStyle {
    std::string numberFormat;  // xlsx-style code; empty means General
    bool bold = false;
    bool operator==(const CellStyle&) const = default;
};

struct CellStyleHash {
    size_t operator()(const CellStyle& style) const {
        return std::hash<std::string>()(style.numberFormat) * 2 + (style.bold ? 1 : 0);
    }
};

// A block of cells, corners included, 1-based.
struct CellBlock {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;
    bool Contains(int row, int column) const {
        return firstRow <= row && row <= lastRow && firstColumn <= column && column <= lastColumn;
    }
    bool operator==(const CellBlock&) const = default;
};

// A value of a row being written, seen in place: a text, a number or nothing; its text is not copied
// until it goes into its cell.
struct RowValue {
    Value::Kind kind = Value::Kind::Empty;
    double number = 0.0;
    std::string_view text;

    static RowValue Of(const Value& value) { return {value.kind, value.number, value.text}; }
};

// More merged blocks than any form needs are left unmerged, so that merging stays cheap.
inline constexpr size_t kMaxMergedBlocks = 10000;

struct Sheet;
struct Token;
class BlockStock;

struct Row;
class Cell;
using CellList = std::pmr::vector<Cell>;
struct FormulaCell;
class DependencyTracker;

// A workbook of sheets of cells addressed from (1,1): up to kMaxRows rows and columns A..XFD.
// The cell calls work on the current sheet, the first unless the loader picks another; formulas
// may read any sheet. Formulas are recalculated on demand: a change marks what depends on it,
// reading a value computes it. Every public call checks its coordinates and throws
// LimitError when they are off the sheet.
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
    // Accepts the formula with or without "="; throws FormulaError when it does not parse.
    void SetCellFormula(int row, int column, std::string_view formula);
    // What typing does: "=..." is a formula, text that reads as a number a number, else text.
    void EnterText(int row, int column, std::string_view typed);
    void ClearCell(int row, int column);
    void SetCellBool(int row, int column, bool value);
    void SetCellError(int row, int column, ErrorCode error);
    // A formula read from a file: one the engine cannot parse is kept as its text and shows
    // #NAME?, so it stays a formula. Returns false for such a formula.
    bool SetLoadedFormula(int row, int column, std::string_view formula);
    // An array formula over the block, computed once as an array; each cell shows its element.
    bool SetArrayFormula(int firstRow, int firstColumn, int lastRow, int lastColumn, std::string_view formula);
    // A workbook-wide name for a reference ("Sheet1!$A$1:$B$3"), which formulas parsed later use.
    void DefineName(const std::string& name, const std::string& reference);
    // What the last load ignored of the file, one line each.
    const std::vector<std::string>& LoadWarnings() const { return properties_.loadWarnings; }
    void AddLoadWarning(const std::string& warning);
    // The names of unknown functions the cell's formula calls.
    std::vector<std::string> GetUnknownFunctions(int row, int column) const;

    // Sheets in workbook order; the cell calls act on the current one.
    int SheetCount() const;
    std::string SheetName(int sheet) const;
    // Adds an empty sheet at the end and makes it current; throws on a name already taken.
    int AddSheet(std::string name);
    void RenameSheet(int sheet, std::string name);
    void SelectSheet(int sheet);
    int CurrentSheet() const { return static_cast<int>(properties_.current); }

    void SetNumberFormat(int row, int column, std::string formatCode);
    void SetBold(int row, int column, bool bold);
    CellStyle GetStyle(int row, int column) const;

    // Shows the block as one cell with its top-left cell's contents; blocks it overlaps are undone.
    // False, merging nothing, once the sheet holds kMaxMergedBlocks.
    bool MergeCells(const CellBlock& block);
    // The merged block of the current sheet holding the cell, if any.
    std::optional<CellBlock> MergedBlockAt(int row, int column) const;
    const std::vector<CellBlock>& MergedBlocks() const;

    // How serial dates count, for showing them and for date functions; a cleared workbook counts
    // from 1899-12-30.
    void SetDateSystem(DateSystem dates);
    DateSystem Dates() const { return properties_.dates; }

    // Width in characters; 0 means the default width.
    void SetColumnWidth(int column, double characters);
    double GetColumnWidth(int column) const;

    // Inserts `count` empty rows at `row`, moving references as spreadsheet apps do; the new rows
    // take the formats of the row above.
    void InsertRows(int row, int count = 1);
    // Each row below firstRow down to lastRow takes, column by column, the formula of the row above
    // moved one row down, as a fill-down moves it: relative references follow, absolute ones and
    // names stay, and references moved off the sheet become #REF!. A formula that could not be
    // parsed stays where it is and goes no further.
    void FillFormulasDown(int firstRow, int lastRow, int firstColumn, int lastColumn);
    // Writes consecutive cells of a row from firstColumn: a text as SetCellText does, a number as
    // SetCellNumber does unless the cell holds a formula, which stays; an empty value leaves its cell.
    // A row with a value of another kind, or a text too long, is refused before any cell is written.
    void SetRowValues(int row, int firstColumn, std::span<const RowValue> values);
    void SetRowValues(int row, int firstColumn, std::span<const Value> values);

    void Clear();
    // Replaces everything with the xlsx or ods image in a global memory block; a failed load
    // leaves an empty workbook and throws LoadError. The workbook of a small image is kept, so that
    // loading the same bytes again copies it instead of reading the image.
    void LoadFromMemory(uint32_t handle);
    void LoadImage(std::span<const uint8_t> image);

    // The last row and column holding content (0 when the sheet is empty).
    int UsedRows() const;
    int UsedColumns() const;
    // Visits every cell holding content, row by row.
    void ForEachCell(const std::function<void(int row, int column)>& visit) const;

    void RecalculateAll();
    // While loading, changes mark nothing: everything is calculated afresh afterwards anyway.
    void SetLoading(bool loading);
    // Grows with every change, so a view can tell when to repaint.
    uint64_t ChangeCount() const { return changeCount_; }

private:
    class Reader;
    class Binder;

    std::vector<std::unique_ptr<Row>>& Rows() const;
    Row& RowAt(int row);
    Row* FindRow(int row) const;
    const Cell* FindCell(int row, int column) const;
    Cell& PrepareCell(int row, int column);
    Cell& PrepareCell(Row& row, int column);
    void EmptyCell(Row& row, Cell& cell);
    void AddCellsFor(Row& row, int firstColumn, std::span<const RowValue> values);
    CellList::iterator WriteRowValue(Row& row, CellList::iterator at, int column, const RowValue& value);
    void BlockChanged(const CellBlock& block);
    void MarkChangedBlock() const;
    void ReserveLikeRowAbove(Row& row);
    void Changed(Row& row, int column);
    void EnsureCalculated(FormulaCell& formula) const;
    void PutFormula(int row, int column, std::unique_ptr<FormulaCell> formula);
    void InstallFormula(Row& row, int column, std::unique_ptr<FormulaCell> formula);
    void MoveMergedBlocks(int row, int count);
    int FirstCopiedFormulaRow(int column, int firstRow, int lastRow) const;
    void CopyFormulaDown(const FormulaCell& source, Row& target);
    void ForEachFormula(const std::function<void(FormulaCell&)>& visit);
    Row& RowIn(int sheet, int row);
    // A formula to be put on the sheet, made in the sheet's pool.
    std::unique_ptr<FormulaCell> NewFormula(size_t sheet);
    std::unique_ptr<FormulaCell> ParseFor(int row, int column, std::string_view text);
    std::unique_ptr<FormulaCell> ParseLoaded(int row, int column, std::string_view text);
    void ReadImage(std::span<const uint8_t> image);
    void CopyFrom(const Workbook& other);
    void CopyFormulas(const Workbook& other);
    uint16_t StyleIndex(const CellStyle& style);
    void ChangeStyle(int row, int column, const std::function<void(CellStyle&)>& change);

    std::unique_ptr<BlockStock> blocks_;  // before the sheets, which give their blocks back to it
    std::vector<std::unique_ptr<Sheet>> sheets_;
    // What the workbook holds beside its sheets' rows and formulas: cleared and copied as a whole.
    struct Properties {
        size_t current = 0;
        std::vector<CellStyle> styles{CellStyle{}};
        std::unordered_map<CellStyle, uint16_t, CellStyleHash> styleIndex = {{CellStyle{}, 0}};
        std::unordered_map<std::string, std::string> names;  // by folded name
        std::vector<std::string> loadWarnings;
        std::vector<double> columnWidths = std::vector<double>(kMaxColumns + 1, 0.0);
        DateSystem dates = DateSystem::From1900;
    };
    Properties properties_;
    bool loading_ = false;
    std::unique_ptr<DependencyTracker> dependencies_;
    // While loading, the last formula read of each column: its sheet, row and row-relative text.
    struct LoadedFormula {
        size_t sheet = 0;
        int row = 0;
        std::string shape;
    };
    std::unordered_map<int, LoadedFormula> loadedFormulas_;
    // Cells written in a block (row values, filled formulas) whose dependents are marked once for the
    // whole block, before the next value is read or rows move, instead of once per cell.
    struct ChangedBlock {
        size_t sheet = 0;
        CellBlock block;
    };
    mutable std::optional<ChangedBlock> unmarked_;
    // Whether a formula may have been calculated since the workbook was cleared: until one is, every
    // formula waits for calculation and a change has nothing to mark.
    mutable bool anyCalculated_ = false;
    // The last small image loaded and the workbook it gave, before any change.
    struct LoadedImage {
        std::vector<uint8_t> bytes;
        std::unique_ptr<Workbook> book;
    };
    std::unique_ptr<LoadedImage> loadedImage_;
    uint64_t changeCount_ = 0;
};

void CheckCellAddress(int row, int column);

}  // namespace keltrov::sheet
