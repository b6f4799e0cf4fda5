#include "platform/sheet/workbook.hpp"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/sheet/dependency_tracker.hpp"
#include "platform/sheet/evaluator.hpp"
#include "platform/sheet/formula_binder.hpp"
#include "platform/sheet/functions.hpp"
#include "platform/sheet/number_format.hpp"
#include "platform/sheet/workbook_loader.hpp"
#include "platform/sheet/workbook_store.hpp"
#include "platform/util/global_memory.hpp"
#include "platform/util/utf8.hpp"

namespace keltrov::sheet {
namespace {

// Templates are far smaller; a big workbook is not kept twice.
constexpr size_t kMaxKeptImageBytes = size_t{1} << 20;

Value CellOwnValue(const Cell& cell) {
    switch (cell.kind) {
        case CellKind::Text: return Value::String(std::string(cell.Text()));
        case CellKind::Number: return Value::Number(cell.Number());
        case CellKind::Formula:
            // Only a formula on the current calculation path is unfinished: that is a cycle.
            return cell.Formula()->state == FormulaCell::State::Calculated ? cell.Formula()->result
                                                                           : Value::Error(ErrorCode::Circular);
        case CellKind::Bool: return Value::Bool(cell.Number() != 0.0);
        case CellKind::Error: return Value::Error(static_cast<ErrorCode>(cell.Number()));
        case CellKind::Empty: break;
    }
    return Value();
}

// What an array formula's cell shows of the array result: its own element, #N/A outside.
Value ArrayElement(const Value& result, int row, int column) {
    if (result.kind != Value::Kind::Array) {
        return result;
    }
    const Matrix& m = *result.array;
    int r = m.rows == 1 ? 0 : row;
    int c = m.columns == 1 ? 0 : column;
    if (r >= m.rows || c >= m.columns) {
        return Value::Error(ErrorCode::NA);
    }
    const Value& v = m.At(r, c);
    return v.kind == Value::Kind::Empty ? Value::Number(0.0) : v;
}

// The block's first cell in the row. Rows of a sheet mostly hold the same columns, so the place
// where the row above had it is tried before searching.
CellList::iterator FirstInBlock(Row& row, int column, size_t& hint) {
    CellList& cells = row.cells;
    bool hit = hint < cells.size() && cells[hint].column >= column && (hint == 0 || cells[hint - 1].column < column);
    auto it = hit ? cells.begin() + static_cast<std::ptrdiff_t>(hint) : row.LowerBound(column);
    hint = static_cast<size_t>(it - cells.begin());
    return it;
}

// A tall block is walked faster than its rows come from memory: the rows some way ahead are asked
// for early, and the cells of those already asked for.
void PrefetchAhead(const std::vector<std::unique_ptr<Row>>& rows, int row, int lastRow, size_t hint) {
    constexpr int kRowsAhead = 24;
    constexpr int kCellsAhead = 12;
    if (row + kRowsAhead <= lastRow) __builtin_prefetch(rows[row + kRowsAhead - 1].get());
    if (row + kCellsAhead <= lastRow) {
        if (const Row* ahead = rows[row + kCellsAhead - 1].get(); ahead && hint < ahead->cells.size()) {
            __builtin_prefetch(ahead->cells.data() + hint);
        }
    }
}

// Rows are mostly written top down, one call each: the next row's cells are asked for while this
// one is written.
void PrefetchCells(const Row* row) {
    constexpr size_t kCacheLine = 64;
    if (!row) return;
    const auto* bytes = reinterpret_cast<const char*>(row->cells.data());
    for (size_t at = 0; at < row->cells.size() * sizeof(Cell); at += kCacheLine) __builtin_prefetch(bytes + at);
}

// Visits the cells that exist in a block of a sheet, row by row.
template <typename Visit>
void VisitBlock(const std::vector<std::unique_ptr<Sheet>>& sheets, const CellRef& first, const CellRef& last,
                const Visit& visit) {
    const std::vector<std::unique_ptr<Row>>& rows = sheets[first.row->sheet]->rows;
    int lastRow = std::min<int>(last.row->index, static_cast<int>(rows.size()));
    size_t hint = 0;
    for (int r = first.row->index; r <= lastRow; ++r) {
        PrefetchAhead(rows, r, lastRow, hint);
        Row* row = rows[r - 1].get();
        if (!row) {
            continue;
        }
        for (auto it = FirstInBlock(*row, first.column, hint); it != row->cells.end() && it->column <= last.column;
             ++it) {
            visit(*row, *it);
        }
    }
}

// Rows of a form are filled from the first column to the last their template row holds: a row
// given room for all of those takes its cells without moving them again.
size_t RoomLike(const Row& row) {
    constexpr size_t kMaxReservedCells = 256;
    return row.cells.empty() ? 0
                             : std::max(row.cells.size(), std::min<size_t>(row.cells.back().column, kMaxReservedCells));
}

// A text has no more characters than bytes, so only a long one is counted.
void CheckTextLength(std::string_view text) {
    if (text.size() > kMaxTextLength && utf8::Length(text) > kMaxTextLength) {
        throw LimitError("文字超过 " + std::to_string(kMaxTextLength) + " 个字符");
    }
}

// An empty text empties its cell, as typing nothing into it does.
bool ClearsCell(const RowValue& value) {
    return value.kind == Value::Kind::String && value.text.empty();
}

// A row of values is checked whole before any of its cells is written.
void CheckRowValue(const RowValue& value) {
    switch (value.kind) {
        case Value::Kind::String: CheckTextLength(value.text); break;
        case Value::Kind::Number:
        case Value::Kind::Empty: break;
        default: throw SheetError("一行的值只能是文字、数字或空");
    }
}

std::string FullPrecision(double number) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", number);
    return buffer;
}

}  // namespace

void CheckCellAddress(int row, int column) {
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
        throw LimitError("单元格 (" + std::to_string(row) + ", " + std::to_string(column) + ") 不在表内: 行 1.." +
                         std::to_string(kMaxRows) + ", 列 1.." + std::to_string(kMaxColumns));
    }
}

// Lets formulas read the workbook's cells.
class Workbook::Reader : public CellSource {
public:
    Reader(const Workbook& book, const FormulaCell& formula) : book_(book), formula_(formula) {}

    // Found by position: a reference the formula computed (INDEX's) holds rows of its own.
    Value CellValue(const RowAnchor* row, int column) const override {
        const std::vector<std::unique_ptr<Row>>& rows = book_.sheets_[row->sheet]->rows;
        Row* found = static_cast<size_t>(row->index) <= rows.size() ? rows[row->index - 1].get() : nullptr;
        Cell* cell = found ? found->Find(column) : nullptr;
        return cell ? CellOwnValue(*cell) : Value();
    }

    void ForEachCell(const CellRef& first, const CellRef& last,
                     const std::function<void(int, int, const Value&)>& visit) const override {
        Value number = Value::Number(0.0);  // a number cell, the most common, costs no new value
        VisitBlock(book_.sheets_, first, last, [&](Row& row, Cell& cell) {
            if (cell.kind == CellKind::Number) {
                number.number = cell.Number();
                visit(row.index - first.row->index, cell.column - first.column, number);
            } else if (cell.kind != CellKind::Empty) {
                visit(row.index - first.row->index, cell.column - first.column, CellOwnValue(cell));
            }
        });
    }

    int LastUsedRow(int sheet) const override { return static_cast<int>(book_.sheets_[sheet]->rows.size()); }

    std::pair<int, int> CurrentCell() const override {
        return {formula_.row->index - formula_.arrayRow, formula_.column - formula_.arrayColumn};
    }

    bool InArrayFormula() const override { return formula_.arrayFormula; }

    DateSystem Dates() const override { return book_.properties_.dates; }

private:
    const Workbook& book_;
    const FormulaCell& formula_;
};

// Binds a formula's references to rows of the workbook's sheets.
class Workbook::Binder : public ReferenceBinder {
public:
    explicit Binder(Workbook& book) : book_(book) {}

    RowAnchor* RowOf(std::string_view sheet, int row) override {
        std::optional<size_t> index = Find(sheet);
        if (!index) {
            return nullptr;
        }
        size_t current = book_.properties_.current;
        book_.properties_.current = *index;
        RowAnchor* anchor = &book_.RowAt(row);
        book_.properties_.current = current;
        return anchor;
    }

    std::optional<std::string> NameReference(std::string_view name) override {
        auto it = book_.properties_.names.find(FoldCase(name));
        return it == book_.properties_.names.end() ? std::nullopt : std::optional(it->second);
    }

    std::pair<RowAnchor*, RowAnchor*> ColumnEnds(std::string_view sheet) override {
        std::optional<size_t> index = Find(sheet);
        if (!index) {
            return {nullptr, nullptr};
        }
        Sheet& s = *book_.sheets_[*index];
        return {&s.top, &s.bottom};
    }

private:
    std::optional<size_t> Find(std::string_view sheet) const {
        if (sheet.empty()) {
            return book_.properties_.current;
        }
        std::string folded = FoldCase(sheet);
        for (size_t i = 0; i < book_.sheets_.size(); ++i) {
            if (FoldCase(book_.sheets_[i]->name) == folded) {
                return i;
            }
        }
        return std::nullopt;
    }

    Workbook& book_;
};

Workbook::Workbook()
    : blocks_(std::make_unique<BlockStock>()),
      dependencies_(
          std::make_unique<DependencyTracker>([this](int sheet, int row) -> Row& { return RowIn(sheet, row); })) {
    Clear();
}

Workbook::~Workbook() = default;

void Workbook::Clear() {
    dependencies_->Clear();
    unmarked_.reset();
    anyCalculated_ = false;
    sheets_.clear();
    AddSheet("Sheet1");
    properties_ = Properties{};
    ++changeCount_;
}

void Workbook::SetDateSystem(DateSystem dates) {
    properties_.dates = dates;
    ++changeCount_;
}

std::vector<std::unique_ptr<Row>>& Workbook::Rows() const {
    return sheets_[properties_.current]->rows;
}

Row& Workbook::RowAt(int row) {
    std::vector<std::unique_ptr<Row>>& rows = Rows();
    if (static_cast<size_t>(row) > rows.size()) {
        rows.resize(row);
    }
    std::unique_ptr<Row>& slot = rows[row - 1];
    if (!slot) {
        slot.reset(new (sheets_[properties_.current]->pool)
                       Row(row, static_cast<int>(properties_.current), sheets_[properties_.current]->pool));
    }
    return *slot;
}

Row* Workbook::FindRow(int row) const {
    const std::vector<std::unique_ptr<Row>>& rows = Rows();
    return row >= 1 && static_cast<size_t>(row) <= rows.size() ? rows[row - 1].get() : nullptr;
}

int Workbook::SheetCount() const {
    return static_cast<int>(sheets_.size());
}

std::string Workbook::SheetName(int sheet) const {
    return sheets_.at(sheet)->name;
}

int Workbook::AddSheet(std::string name) {
    auto sheet = std::make_unique<Sheet>(*blocks_);
    int index = static_cast<int>(sheets_.size());
    sheet->top = {1, index};
    sheet->bottom = {kMaxRows, index};
    sheets_.push_back(std::move(sheet));
    RenameSheet(index, std::move(name));
    properties_.current = index;
    return index;
}

void Workbook::RenameSheet(int sheet, std::string name) {
    for (int i = 0; i < SheetCount(); ++i) {
        if (i != sheet && FoldCase(sheets_[i]->name) == FoldCase(name)) {
            throw SheetError("工作表名重复: " + name);
        }
    }
    sheets_.at(sheet)->name = std::move(name);
}

void Workbook::SelectSheet(int sheet) {
    if (sheet < 0 || sheet >= SheetCount()) {
        throw SheetError("没有第 " + std::to_string(sheet + 1) + " 个工作表");
    }
    properties_.current = sheet;
}

void Workbook::SetLoading(bool loading) {
    loading_ = loading;
    loadedFormulas_.clear();
}

void Workbook::DefineName(const std::string& name, const std::string& reference) {
    properties_.names[FoldCase(name)] = reference.starts_with('=') ? reference.substr(1) : reference;
}

void Workbook::AddLoadWarning(const std::string& warning) {
    if (std::find(properties_.loadWarnings.begin(), properties_.loadWarnings.end(), warning) ==
        properties_.loadWarnings.end()) {
        properties_.loadWarnings.push_back(warning);
    }
}

const Cell* Workbook::FindCell(int row, int column) const {
    CheckCellAddress(row, column);
    Row* r = FindRow(row);
    return r ? r->Find(column) : nullptr;
}

// Reading computes pending formulas; the results are caches, so reading stays logically const.
void Workbook::EnsureCalculated(FormulaCell& root) const {
    if (root.state == FormulaCell::State::Calculated) {
        return;
    }
    struct Frame {
        FormulaCell* formula;
        std::vector<FormulaCell*> pending;
        size_t next = 0;
    };
    auto pendingPrecedents = [this](FormulaCell& formula) {
        std::vector<FormulaCell*> pending;
        auto consider = [&pending](Row&, Cell& cell) {
            if (cell.Formula() && cell.Formula()->state != FormulaCell::State::Calculated) {
                pending.push_back(cell.Formula());
            }
        };
        for (const Token& token : formula.tokens) {
            if (token.kind == TokenKind::Ref) {
                auto* row = static_cast<Row*>(token.first.row);
                if (Cell* cell = row->Find(token.first.column)) {
                    consider(*row, *cell);
                }
            } else if (NamesBlock(token) && sheets_[token.first.row->sheet]->MayHoldFormula(token.first, token.last)) {
                VisitBlock(sheets_, token.first, token.last, consider);
            }
        }
        return pending;
    };

    // Depth-first with an explicit stack, so long chains of formulas cannot overflow the call stack.
    std::vector<Frame> stack;
    root.state = FormulaCell::State::Visiting;
    stack.push_back({&root, pendingPrecedents(root)});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next < top.pending.size()) {
            FormulaCell* next = top.pending[top.next++];
            if (next->state == FormulaCell::State::Dirty) {
                next->state = FormulaCell::State::Visiting;
                stack.push_back({next, pendingPrecedents(*next)});
            } else if (next->state == FormulaCell::State::Visiting) {
                for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
                    it->formula->circular = true;
                    if (it->formula == next) {
                        break;
                    }
                }
            }
            continue;
        }
        FormulaCell& formula = *top.formula;
        formula.result = formula.circular ? Value::Error(ErrorCode::Circular)
                                          : ArrayElement(Evaluate(formula.tokens, Reader(*this, formula)),
                                                         formula.arrayRow, formula.arrayColumn);
        formula.circular = false;
        formula.state = FormulaCell::State::Calculated;
        anyCalculated_ = true;
        stack.pop_back();
    }
}

Value Workbook::GetCellValue(int row, int column) const {
    const Cell* cell = FindCell(row, column);
    if (!cell) {
        return Value();
    }
    MarkChangedBlock();
    if (cell->Formula()) {
        EnsureCalculated(*cell->Formula());
    }
    return CellOwnValue(*cell);
}

CellKind Workbook::GetCellKind(int row, int column) const {
    const Cell* cell = FindCell(row, column);
    return cell ? cell->kind : CellKind::Empty;
}

std::string Workbook::GetCellText(int row, int column) const {
    Value value = GetCellValue(row, column);
    switch (value.kind) {
        case Value::Kind::Empty: return "";
        case Value::Kind::Number:
            return FormatNumber(value.number, GetStyle(row, column).numberFormat, properties_.dates);
        case Value::Kind::String: return value.text;
        case Value::Kind::Bool: return value.boolean ? "TRUE" : "FALSE";
        case Value::Kind::Error: return std::string(ErrorText(value.error));
        case Value::Kind::Array: break;
    }
    return "";
}

double Workbook::GetCellNumber(int row, int column) const {
    Value value = GetCellValue(row, column);
    switch (value.kind) {
        case Value::Kind::Number: return value.number;
        case Value::Kind::Bool: return value.boolean ? 1.0 : 0.0;
        case Value::Kind::String: return ParseNumber(value.text, properties_.dates).value_or(0.0);
        default: return 0.0;
    }
}

std::string Workbook::GetCellFormula(int row, int column) const {
    const Cell* cell = FindCell(row, column);
    if (!cell || !cell->Formula()) {
        return "";
    }
    return PrintFormula(cell->Formula()->tokens);
}

std::vector<std::string> Workbook::GetUnknownFunctions(int row, int column) const {
    const Cell* cell = FindCell(row, column);
    return cell && cell->Formula() ? UnknownFunctions(cell->Formula()->tokens) : std::vector<std::string>();
}

std::string Workbook::GetEditText(int row, int column) const {
    const Cell* cell = FindCell(row, column);
    if (!cell) {
        return "";
    }
    switch (cell->kind) {
        case CellKind::Formula: return "=" + GetCellFormula(row, column);
        case CellKind::Bool:
        case CellKind::Error: return GetCellText(row, column);
        case CellKind::Number: return FullPrecision(cell->Number());
        default: return std::string(cell->Text());
    }
}

// Drops the cell's formula, if any, and returns the cell ready for new contents.
Cell& Workbook::PrepareCell(int row, int column) {
    return PrepareCell(RowAt(row), column);
}

Cell& Workbook::PrepareCell(Row& row, int column) {
    ReserveLikeRowAbove(row);
    Cell& cell = row.Obtain(column);
    EmptyCell(row, cell);
    return cell;
}

// Unregistering the formula touches no cell of any row, so the cell stays where it is.
void Workbook::EmptyCell(Row& row, Cell& cell) {
    if (std::unique_ptr<FormulaCell> old = cell.TakeFormula()) {
        dependencies_->Remove(*old);
        sheets_[properties_.current]->CountFormula(row, cell.column, -1);
    }
    cell.ClearText();
    cell.SetNumber(0.0);
}

// Rows of a template are alike: a new row takes as much room as the row above took, so that filling
// it does not grow it step by step (a loaded workbook gives back the room it does not use).
void Workbook::ReserveLikeRowAbove(Row& row) {
    constexpr size_t kMaxReservedCells = 256;
    if (!row.cells.empty() || row.cells.capacity() > 0) {
        return;
    }
    if (Row* above = FindRow(row.index - 1)) {
        row.cells.reserve(std::min(above->cells.capacity(), kMaxReservedCells));
    }
}

void Workbook::Changed(Row& row, int column) {
    ++changeCount_;
    if (!loading_ && anyCalculated_) {
        dependencies_->MarkDependentsDirty(row, column);
    }
}

void Workbook::SetCellText(int row, int column, std::string text) {
    CheckCellAddress(row, column);
    CheckTextLength(text);
    if (text.empty()) {
        ClearCell(row, column);
        return;
    }
    Cell& cell = PrepareCell(row, column);
    cell.kind = CellKind::Text;
    cell.SetText(text, sheets_[properties_.current]->pool);
    Changed(RowAt(row), column);
}

void Workbook::SetCellNumber(int row, int column, double number) {
    CheckCellAddress(row, column);
    Cell& cell = PrepareCell(row, column);
    cell.kind = CellKind::Number;
    cell.SetNumber(number);
    Changed(RowAt(row), column);
}

void Workbook::SetCellBool(int row, int column, bool value) {
    CheckCellAddress(row, column);
    Cell& cell = PrepareCell(row, column);
    cell.kind = CellKind::Bool;
    cell.SetNumber(value ? 1.0 : 0.0);
    Changed(RowAt(row), column);
}

void Workbook::SetCellError(int row, int column, ErrorCode error) {
    CheckCellAddress(row, column);
    Cell& cell = PrepareCell(row, column);
    cell.kind = CellKind::Error;
    cell.SetNumber(static_cast<double>(error));
    Changed(RowAt(row), column);
}

std::unique_ptr<FormulaCell> Workbook::NewFormula(size_t sheet) {
    CellPool& pool = sheets_[sheet]->pool;
    return std::unique_ptr<FormulaCell>(new (pool) FormulaCell(pool));
}

std::unique_ptr<FormulaCell> Workbook::ParseFor(int row, int column, std::string_view text) {
    auto formula = NewFormula(properties_.current);
    Binder binder(*this);
    formula->tokens = ParseFormula(text, binder);
    formula->row = &RowAt(row);
    formula->column = column;
    return formula;
}

void Workbook::PutFormula(int row, int column, std::unique_ptr<FormulaCell> formula) {
    Row& r = RowAt(row);
    InstallFormula(r, column, std::move(formula));
    Changed(r, column);
}

// Listening first may add cells to rows; the cell is looked up after it.
void Workbook::InstallFormula(Row& row, int column, std::unique_ptr<FormulaCell> formula) {
    dependencies_->Add(*formula);
    Cell& cell = PrepareCell(row, column);
    cell.kind = CellKind::Formula;
    cell.SetFormula(std::move(formula));
    sheets_[properties_.current]->CountFormula(row, column, 1);
}

void Workbook::SetCellFormula(int row, int column, std::string_view text) {
    CheckCellAddress(row, column);
    PutFormula(row, column, ParseFor(row, column, text));
}

// A column's formulas filled down differ only in their relative rows: the last one read of the
// column is copied with its references moved instead of parsing the text again.
std::unique_ptr<FormulaCell> Workbook::ParseLoaded(int row, int column, std::string_view text) {
    if (!loading_ || text.size() > kMaxFormulaBytes) return ParseFor(row, column, text);
    std::string shape = RowRelativeText(text, row);
    LoadedFormula& last = loadedFormulas_[column];
    const Cell* cell = last.sheet == properties_.current && !shape.empty() && last.shape == shape
                           ? FindCell(last.row, column)
                           : nullptr;
    if (cell && cell->Formula()) {
        Binder binder(*this);
        if (std::optional<Formula> tokens = MoveRowsDown(cell->Formula()->tokens, row - last.row, binder)) {
            auto formula = NewFormula(properties_.current);
            formula->tokens = std::move(*tokens);
            formula->row = &RowAt(row);
            formula->column = column;
            last.row = row;
            return formula;
        }
    }
    std::unique_ptr<FormulaCell> formula = ParseFor(row, column, text);
    last = {properties_.current, row, std::move(shape)};
    return formula;
}

bool Workbook::SetLoadedFormula(int row, int column, std::string_view text) {
    CheckCellAddress(row, column);
    try {
        PutFormula(row, column, ParseLoaded(row, column, text));
        return true;
    } catch (const FormulaError&) {
        auto formula = NewFormula(properties_.current);
        Token& unparsed = formula->tokens.emplace_back();
        unparsed.kind = TokenKind::Name;
        unparsed.Words().text = std::string(text.starts_with('=') ? text.substr(1) : text);
        formula->row = &RowAt(row);
        formula->column = column;
        PutFormula(row, column, std::move(formula));
        return false;
    }
}

bool Workbook::SetArrayFormula(int firstRow, int firstColumn, int lastRow, int lastColumn, std::string_view text) {
    CheckCellAddress(firstRow, firstColumn);
    CheckCellAddress(lastRow, lastColumn);
    bool parsed = true;
    for (int r = firstRow; r <= lastRow; ++r) {
        for (int c = firstColumn; c <= lastColumn; ++c) {
            parsed = SetLoadedFormula(r, c, text) && parsed;
            FormulaCell& formula = *RowAt(r).Find(c)->Formula();
            formula.arrayFormula = true;
            formula.arrayRow = r - firstRow;
            formula.arrayColumn = c - firstColumn;
        }
    }
    return parsed;
}

void Workbook::EnterText(int row, int column, std::string_view typed) {
    if (!typed.empty() && typed.front() == '=') {
        SetCellFormula(row, column, typed);
    } else if (std::optional<double> number = ParsePlainNumber(typed)) {
        SetCellNumber(row, column, *number);
    } else {
        SetCellText(row, column, std::string(typed));
    }
}

void Workbook::ClearCell(int row, int column) {
    CheckCellAddress(row, column);
    if (!FindCell(row, column)) {
        return;
    }
    Cell& cell = PrepareCell(row, column);
    cell.kind = CellKind::Empty;
    Changed(RowAt(row), column);
}

Row& Workbook::RowIn(int sheet, int row) {
    size_t current = properties_.current;
    properties_.current = static_cast<size_t>(sheet);
    Row& found = RowAt(row);
    properties_.current = current;
    return found;
}

uint16_t Workbook::StyleIndex(const CellStyle& style) {
    if (auto it = properties_.styleIndex.find(style); it != properties_.styleIndex.end()) {
        return it->second;
    }
    if (properties_.styles.size() > UINT16_MAX) {
        throw LimitError("单元格格式超过 65536 种");
    }
    properties_.styles.push_back(style);
    auto index = static_cast<uint16_t>(properties_.styles.size() - 1);
    properties_.styleIndex.emplace(style, index);
    return index;
}

void Workbook::ChangeStyle(int row, int column, const std::function<void(CellStyle&)>& change) {
    CheckCellAddress(row, column);
    Cell& cell = RowAt(row).Obtain(column);
    CellStyle style = properties_.styles[cell.style];
    change(style);
    cell.style = StyleIndex(style);
    ++changeCount_;
}

void Workbook::SetNumberFormat(int row, int column, std::string formatCode) {
    ChangeStyle(row, column, [&formatCode](CellStyle& style) { style.numberFormat = std::move(formatCode); });
}

void Workbook::SetBold(int row, int column, bool bold) {
    ChangeStyle(row, column, [bold](CellStyle& style) { style.bold = bold; });
}

CellStyle Workbook::GetStyle(int row, int column) const {
    const Cell* cell = FindCell(row, column);
    return cell ? properties_.styles[cell->style] : CellStyle{};
}

bool Workbook::MergeCells(const CellBlock& block) {
    CheckCellAddress(block.firstRow, block.firstColumn);
    CheckCellAddress(block.lastRow, block.lastColumn);
    if (block.lastRow < block.firstRow || block.lastColumn < block.firstColumn) {
        throw SheetError("合并区域的角不对");
    }
    std::vector<CellBlock>& merged = sheets_[properties_.current]->merged;
    if (merged.size() >= kMaxMergedBlocks) {
        return false;
    }
    std::erase_if(merged, [&block](const CellBlock& other) {
        return other.firstRow <= block.lastRow && block.firstRow <= other.lastRow &&
               other.firstColumn <= block.lastColumn && block.firstColumn <= other.lastColumn;
    });
    merged.push_back(block);
    ++changeCount_;
    return true;
}

std::optional<CellBlock> Workbook::MergedBlockAt(int row, int column) const {
    for (const CellBlock& block : sheets_[properties_.current]->merged) {
        if (block.Contains(row, column)) {
            return block;
        }
    }
    return std::nullopt;
}

const std::vector<CellBlock>& Workbook::MergedBlocks() const {
    return sheets_[properties_.current]->merged;
}

// Blocks below the new rows move down with them; a block they cut through grows by the rows, as in
// spreadsheet apps.
void Workbook::MoveMergedBlocks(int row, int count) {
    std::vector<CellBlock>& merged = sheets_[properties_.current]->merged;
    for (CellBlock& block : merged) {
        block.firstRow += block.firstRow >= row ? count : 0;
        block.lastRow += block.lastRow >= row ? count : 0;
    }
    std::erase_if(merged, [](const CellBlock& block) { return block.lastRow > kMaxRows; });
}

void Workbook::SetColumnWidth(int column, double characters) {
    CheckCellAddress(1, column);
    properties_.columnWidths[column] = characters;
    ++changeCount_;
}

double Workbook::GetColumnWidth(int column) const {
    CheckCellAddress(1, column);
    return properties_.columnWidths[column];
}

void Workbook::InsertRows(int row, int count) {
    CheckCellAddress(row, 1);
    if (count < 1) {
        throw SheetError("插入的行数必须是正数: " + std::to_string(count));
    }
    CheckCellAddress(row + count - 1, 1);
    MarkChangedBlock();  // its rows are about to move
    ++changeCount_;
    std::vector<std::unique_ptr<Row>>& rows = Rows();
    const size_t firstPushedOff = std::min(static_cast<size_t>(kMaxRows - count), rows.size());
    if (std::any_of(rows.begin() + static_cast<std::ptrdiff_t>(firstPushedOff), rows.end(),
                    [](const std::unique_ptr<Row>& r) { return r != nullptr; })) {
        throw LimitError("插入的行会把单元格挤出表的末尾");
    }
    MoveMergedBlocks(row, count);
    if (static_cast<size_t>(row) > rows.size()) {
        return;  // nothing at or below the new rows
    }
    Row* above = FindRow(row - 1);
    Row* below = FindRow(row);
    std::vector<std::unique_ptr<Row>> gap(static_cast<size_t>(count));
    rows.insert(rows.begin() + (row - 1), std::make_move_iterator(gap.begin()), std::make_move_iterator(gap.end()));
    if (rows.size() > static_cast<size_t>(kMaxRows)) {
        rows.resize(kMaxRows);
    }
    for (size_t i = static_cast<size_t>(row - 1 + count); i < rows.size(); ++i) {
        if (rows[i]) {
            rows[i]->index = static_cast<int>(i) + 1;
        }
    }
    if (!above) {
        return;
    }
    // A range running from above the new rows to below them now covers the new rows as well.
    std::vector<RangeListener> spanning;
    for (const RangeListener& listener : above->ranges) {
        if (below && std::find(below->ranges.begin(), below->ranges.end(), listener) != below->ranges.end()) {
            spanning.push_back(listener);
        }
    }
    const bool styled =
        std::any_of(above->cells.begin(), above->cells.end(), [](const Cell& cell) { return cell.style != 0; });
    for (int r = row; r < row + count; ++r) {
        std::unique_ptr<Row> inserted(new (sheets_[properties_.current]->pool) Row(
            r, static_cast<int>(properties_.current), sheets_[properties_.current]->pool));
        if (styled) inserted->cells.reserve(RoomLike(*above));
        for (const Cell& cell : above->cells) {  // in column order, as the row keeps them
            if (cell.style != 0) {
                Cell& styledCell = inserted->cells.emplace_back();
                styledCell.column = cell.column;
                styledCell.style = cell.style;
            }
        }
        if (!spanning.empty()) inserted->ranges.reserve(spanning.size() + kSumsAcrossRow);
        inserted->ranges.assign(spanning.begin(), spanning.end());
        if (!inserted->cells.empty() || !inserted->ranges.empty()) {
            rows[r - 1] = std::move(inserted);
        }
    }
}

namespace {

// A formula kept as the text the engine could not parse cannot be moved to another cell.
bool CanMove(const FormulaCell& formula) {
    const Formula& tokens = formula.tokens;
    if (tokens.size() != 1 || tokens[0].kind != TokenKind::Name) {
        return true;
    }
    try {
        ShiftFormulaText(tokens[0].Text(), {});
        return true;
    } catch (const FormulaError&) {
        return false;
    }
}

// The reference `rows` further down when its row is relative; nothing when that leaves the sheet.
template <typename RowOf>
std::optional<CellRef> MovedDown(const CellRef& ref, int rows, const RowOf& rowOf) {
    if (ref.absoluteRow) {
        return ref;
    }
    const int index = ref.row->index + rows;
    if (index < 1 || index > kMaxRows) {
        return std::nullopt;
    }
    CellRef moved = ref;
    moved.row = rowOf(ref.row->sheet, index);
    return moved;
}

// Puts into `moved` the tokens as they stand `rows` further down: what parsing the shifted text would
// give, without the text. A name stands for its own reference wherever it is written; whole columns
// have no rows.
template <typename RowOf>
void MoveDown(const Formula& tokens, int rows, const RowOf& rowOf, Formula& moved) {
    moved.assign(tokens.begin(), tokens.end());
    for (Token& token : moved) {
        const bool reference = token.kind == TokenKind::Ref || token.kind == TokenKind::Range;
        if (!reference || !token.Text().empty() || token.shape == RangeShape::Columns) {
            continue;
        }
        std::optional<CellRef> first = MovedDown(token.first, rows, rowOf);
        std::optional<CellRef> last = token.kind == TokenKind::Range ? MovedDown(token.last, rows, rowOf) : first;
        if (!first || !last) {
            token = Token();
            token.kind = TokenKind::Error;
            token.error = ErrorCode::Ref;
            continue;
        }
        token.first = *first;
        token.last = *last;
        if (token.first.row->index > token.last.row->index) {  // a range keeps its top row first
            std::swap(token.first.row, token.last.row);
            std::swap(token.first.absoluteRow, token.last.absoluteRow);
        }
    }
}

}  // namespace

// Row by row, so that each row comes from memory once however many columns go down.
void Workbook::FillFormulasDown(int firstRow, int lastRow, int firstColumn, int lastColumn) {
    CheckCellAddress(firstRow, firstColumn);
    CheckCellAddress(lastRow, lastColumn);
    std::vector<const FormulaCell*> sources;
    for (int column = firstColumn; column <= lastColumn; ++column) {
        if (int row = FirstCopiedFormulaRow(column, firstRow, lastRow); row != 0) {
            sources.push_back(RowAt(row).Find(column)->Formula());
        }
    }
    if (sources.empty()) {
        return;
    }
    const int top = (*std::min_element(sources.begin(), sources.end(), [](auto* a, auto* b) {
                        return a->row->index < b->row->index;
                    }))->row->index;
    for (int target = top + 1; target <= lastRow; ++target) {
        Row& row = RowAt(target);
        for (const FormulaCell* source : sources) {
            if (source->row->index < target) CopyFormulaDown(*source, row);
        }
    }
    BlockChanged({top + 1, firstColumn, lastRow, lastColumn});
}

// The first row from firstRow on, above lastRow, whose formula in the column goes down; 0 for none.
// Only rows within the column's formula bounds are looked at.
int Workbook::FirstCopiedFormulaRow(int column, int firstRow, int lastRow) const {
    const std::vector<Sheet::FormulaColumn>& counted = sheets_[properties_.current]->formulaColumns;
    if (static_cast<size_t>(column) >= counted.size() || counted[column].count == 0) {
        return 0;
    }
    const int from = std::max(firstRow, counted[column].top->index);
    const int to = std::min(lastRow - 1, counted[column].bottom->index);
    for (int row = from; row <= to; ++row) {
        Row* r = FindRow(row);
        const Cell* cell = r ? r->Find(column) : nullptr;
        if (cell && cell->Formula() && CanMove(*cell->Formula())) {
            return row;
        }
    }
    return 0;
}

// A form's formulas mostly read their own row, which is at hand.
void Workbook::CopyFormulaDown(const FormulaCell& source, Row& target) {
    auto rowOf = [this, &target](int sheet, int index) -> RowAnchor* {
        return sheet == target.sheet && index == target.index ? &target : &RowIn(sheet, index);
    };
    auto formula = NewFormula(properties_.current);
    MoveDown(source.tokens, target.index - source.row->index, rowOf, formula->tokens);
    formula->row = &target;
    formula->column = source.column;
    InstallFormula(target, source.column, std::move(formula));
}

// The row is found once and its cells are walked left to right, as the values go.
void Workbook::SetRowValues(int row, int firstColumn, std::span<const RowValue> values) {
    const int lastColumn = firstColumn + std::max(static_cast<int>(values.size()) - 1, 0);
    CheckCellAddress(row, firstColumn);
    CheckCellAddress(row, lastColumn);
    std::for_each(values.begin(), values.end(), CheckRowValue);
    if (values.empty()) {
        return;
    }
    Row& r = RowAt(row);
    PrefetchCells(FindRow(row + 1));
    AddCellsFor(r, firstColumn, values);
    auto at = r.LowerBound(firstColumn);
    int column = firstColumn;
    for (const RowValue& value : values) {
        at = WriteRowValue(r, at, column++, value);
    }
    BlockChanged({row, firstColumn, row, lastColumn});
}

void Workbook::SetRowValues(int row, int firstColumn, std::span<const Value> values) {
    std::vector<RowValue> views(values.size());
    std::transform(values.begin(), values.end(), views.begin(), RowValue::Of);
    SetRowValues(row, firstColumn, views);
}

// The cells the values need and the row lacks, added in one pass over the row rather than one
// insertion each: from the back, so that the cells move once and within the room the row has.
void Workbook::AddCellsFor(Row& row, int firstColumn, std::span<const RowValue> values) {
    auto needsCell = [](const RowValue& value) { return value.kind != Value::Kind::Empty && !ClearsCell(value); };
    size_t missing = 0;
    auto at = row.LowerBound(firstColumn);
    for (size_t i = 0; i < values.size(); ++i) {
        const int column = firstColumn + static_cast<int>(i);
        while (at != row.cells.end() && at->column < column) ++at;
        missing += (at == row.cells.end() || at->column != column) && needsCell(values[i]) ? 1 : 0;
    }
    if (missing == 0) {
        return;
    }
    CellList& cells = row.cells;
    size_t read = cells.size();
    size_t write = read + missing;
    cells.resize(write);
    for (size_t i = values.size(); i-- > 0 && write != read;) {
        const int column = firstColumn + static_cast<int>(i);
        while (read > 0 && cells[read - 1].column > column) cells[--write] = std::move(cells[--read]);
        if ((read == 0 || cells[read - 1].column != column) && needsCell(values[i])) {
            cells[--write] = Cell{};
            cells[write].column = column;
        }
    }
}

// Writes the value into the column's cell, found at or after `at`; returns the cell's place, from
// which the next column is looked for.
CellList::iterator Workbook::WriteRowValue(Row& row, CellList::iterator at, int column, const RowValue& value) {
    while (at != row.cells.end() && at->column < column) {
        ++at;
    }
    const bool exists = at != row.cells.end() && at->column == column;
    const bool clears = ClearsCell(value);
    if (!exists || value.kind == Value::Kind::Empty ||
        (value.kind == Value::Kind::Number && at->kind == CellKind::Formula)) {
        return at;
    }
    EmptyCell(row, *at);
    if (value.kind == Value::Kind::Number) {
        at->kind = CellKind::Number;
        at->SetNumber(value.number);
    } else {
        at->kind = clears ? CellKind::Empty : CellKind::Text;
        if (!clears) at->SetText(value.text, row.Pool());
    }
    return at;
}

// Blocks written one after another, as rows loaded in order are, grow into one.
void Workbook::BlockChanged(const CellBlock& block) {
    ++changeCount_;
    if (loading_) {
        return;
    }
    if (unmarked_ && unmarked_->sheet == properties_.current && block.firstRow <= unmarked_->block.lastRow + 1 &&
        unmarked_->block.firstRow <= block.lastRow + 1) {
        CellBlock& grown = unmarked_->block;
        grown = {std::min(grown.firstRow, block.firstRow), std::min(grown.firstColumn, block.firstColumn),
                 std::max(grown.lastRow, block.lastRow), std::max(grown.lastColumn, block.lastColumn)};
        return;
    }
    MarkChangedBlock();
    unmarked_ = ChangedBlock{properties_.current, block};
}

// Marking only sends formulas back to be calculated, so a reader may do it.
void Workbook::MarkChangedBlock() const {
    if (!unmarked_) {
        return;
    }
    const ChangedBlock changed = *unmarked_;
    unmarked_.reset();
    if (!anyCalculated_) {
        return;
    }
    dependencies_->MarkDependentsDirty(sheets_[changed.sheet]->rows, static_cast<int>(changed.sheet), changed.block);
}

void Workbook::LoadFromMemory(uint32_t handle) {
    std::span<uint8_t> block = GlobalLock(handle);
    if (block.empty()) {
        Clear();
        throw LoadError("模板无法读取: 内存块 " + std::to_string(handle) + " 不存在或是空的");
    }
    try {
        LoadImage(block);
    } catch (...) {
        GlobalUnlock(handle);
        throw;
    }
    GlobalUnlock(handle);
}

void Workbook::LoadImage(std::span<const uint8_t> image) {
    if (loadedImage_ && std::ranges::equal(loadedImage_->bytes, image)) {
        CopyFrom(*loadedImage_->book);
        return;
    }
    loadedImage_.reset();
    ReadImage(image);
    if (image.size() <= kMaxKeptImageBytes) {
        auto kept = std::make_unique<LoadedImage>();
        kept->bytes.assign(image.begin(), image.end());
        kept->book = std::make_unique<Workbook>();
        kept->book->CopyFrom(*this);
        loadedImage_ = std::move(kept);
    }
}

void Workbook::ReadImage(std::span<const uint8_t> image) {
    Clear();
    SetLoading(true);
    try {
        LoadWorkbookImage(*this, image);
    } catch (...) {
        SetLoading(false);
        Clear();
        throw;
    }
    SetLoading(false);
    ++changeCount_;
}

// Replaces everything with a copy of the other workbook, cells first, then formulas bound to the
// copied rows.
void Workbook::CopyFrom(const Workbook& other) {
    Clear();
    sheets_.clear();
    for (const std::unique_ptr<Sheet>& sheet : other.sheets_) {
        AddSheet(sheet->name);
        Sheet& copy = *sheets_.back();
        copy.merged = sheet->merged;
        copy.rows.resize(sheet->rows.size());
        for (size_t i = 0; i < sheet->rows.size(); ++i) {
            if (const Row* row = sheet->rows[i].get()) {
                copy.rows[i].reset(new (copy.pool) Row(row->index, row->sheet, copy.pool));
                copy.rows[i]->cells.reserve(RoomLike(*row));
                for (const Cell& cell : row->cells) copy.rows[i]->cells.push_back(cell.CopyContents(copy.pool));
            }
        }
    }
    CopyFormulas(other);
    anyCalculated_ = other.anyCalculated_;
    properties_ = other.properties_;
    ++changeCount_;
}

// Each formula's tokens are moved onto this workbook's rows and the ends of its whole columns.
void Workbook::CopyFormulas(const Workbook& other) {
    auto anchor = [this, &other](RowAnchor* row) -> RowAnchor* {
        if (!row) return nullptr;
        const Sheet& from = *other.sheets_[row->sheet];
        Sheet& to = *sheets_[row->sheet];
        return row == &from.top ? &to.top : row == &from.bottom ? &to.bottom : &RowIn(row->sheet, row->index);
    };
    for (size_t s = 0; s < other.sheets_.size(); ++s) {
        for (const std::unique_ptr<Row>& row : other.sheets_[s]->rows) {
            if (!row) continue;
            for (const Cell& cell : row->cells) {
                const FormulaCell* source = cell.Formula();
                if (!source) continue;
                auto formula = NewFormula(s);
                formula->tokens = source->tokens;
                for (Token& token : formula->tokens) {
                    token.first.row = anchor(token.first.row);
                    token.last.row = anchor(token.last.row);
                }
                Row& target = RowIn(static_cast<int>(s), row->index);
                formula->row = &target;
                formula->column = cell.column;
                formula->result = source->result;
                formula->state = source->state;
                formula->arrayRow = source->arrayRow;
                formula->arrayColumn = source->arrayColumn;
                formula->arrayFormula = source->arrayFormula;
                dependencies_->Add(*formula);
                target.Find(cell.column)->SetFormula(std::move(formula));
                sheets_[s]->CountFormula(target, cell.column, 1);
            }
        }
    }
}

int Workbook::UsedRows() const {
    const std::vector<std::unique_ptr<Row>>& rows = Rows();
    for (size_t i = rows.size(); i > 0; --i) {
        const Row* row = rows[i - 1].get();
        if (row && std::any_of(row->cells.begin(), row->cells.end(),
                               [](const Cell& cell) { return cell.kind != CellKind::Empty; })) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

int Workbook::UsedColumns() const {
    int used = 0;
    ForEachCell([&used](int, int column) { used = std::max(used, column); });
    return used;
}

void Workbook::ForEachCell(const std::function<void(int row, int column)>& visit) const {
    for (const std::unique_ptr<Row>& row : Rows()) {
        if (!row) {
            continue;
        }
        for (const Cell& cell : row->cells) {
            if (cell.kind != CellKind::Empty) {
                visit(row->index, cell.column);
            }
        }
    }
}

void Workbook::RecalculateAll() {
    unmarked_.reset();  // every formula is calculated afresh
    ForEachFormula([](FormulaCell& formula) { formula.state = FormulaCell::State::Dirty; });
    ForEachFormula([this](FormulaCell& formula) { EnsureCalculated(formula); });
    ++changeCount_;
}

void Workbook::ForEachFormula(const std::function<void(FormulaCell&)>& visit) {
    for (const std::unique_ptr<Sheet>& sheet : sheets_) {
        for (const std::unique_ptr<Row>& row : sheet->rows) {
            if (!row) {
                continue;
            }
            for (Cell& cell : row->cells) {
                if (FormulaCell* formula = cell.Formula()) {
                    visit(*formula);
                }
            }
        }
    }
}

}  // namespace keltrov::sheet
