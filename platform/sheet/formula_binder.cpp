#include "platform/sheet/formula_binder.hpp"

#include "platform/sheet/formula_lexer.hpp"

namespace keltrov::sheet {
namespace {

// References are ASCII whatever the locale; every cell address of a file is read here.
bool IsAlpha(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Row digits as written: at most seven of them, naming a row of the sheet.
std::optional<int> ReadRowNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 7) {
        return std::nullopt;
    }
    // Every reference of every formula and every cell of a file comes through here: read in place.
    int row = 0;
    for (char ch : digits) {
        if (!IsDigit(ch)) {
            return std::nullopt;
        }
        row = row * 10 + (ch - '0');
    }
    return row >= 1 && row <= kMaxRows ? std::optional(row) : std::nullopt;
}

// Ranges are kept top-left to bottom-right whichever corners were written.
void NormalizeRange(Token& token) {
    if (token.first.row->index > token.last.row->index) {
        std::swap(token.first.row, token.last.row);
        std::swap(token.first.absoluteRow, token.last.absoluteRow);
    }
    if (token.first.column > token.last.column) {
        std::swap(token.first.column, token.last.column);
        std::swap(token.first.absoluteColumn, token.last.absoluteColumn);
    }
}

}  // namespace

std::optional<WrittenRef> ReadWrittenRef(std::string_view word) {
    WrittenRef ref;
    size_t pos = 0;
    ref.absoluteColumn = !word.empty() && word[0] == '$';
    pos += ref.absoluteColumn ? 1 : 0;
    size_t lettersStart = pos;
    while (pos < word.size() && IsAlpha(word[pos])) ++pos;
    ref.column = ColumnFromName(word.substr(lettersStart, pos - lettersStart));
    ref.absoluteRow = pos < word.size() && word[pos] == '$';
    pos += ref.absoluteRow ? 1 : 0;
    size_t digitsStart = pos;
    while (pos < word.size() && IsDigit(word[pos])) ++pos;
    std::optional<int> row = ReadRowNumber(word.substr(digitsStart, pos - digitsStart));
    if (ref.column == 0 || !row || pos != word.size()) {
        return std::nullopt;
    }
    ref.row = *row;
    return ref;
}

std::optional<WrittenLine> ReadWrittenLine(std::string_view word, bool columns) {
    WrittenLine line;
    line.absolute = !word.empty() && word.front() == '$';
    word.remove_prefix(line.absolute ? 1 : 0);
    std::optional<int> number = columns ? std::optional(ColumnFromName(word)) : ReadRowNumber(word);
    if (!number || *number == 0) {
        return std::nullopt;
    }
    line.number = *number;
    return line;
}

Token ErrorToken(ErrorCode code) {
    Token token;
    token.kind = TokenKind::Error;
    token.error = code;
    return token;
}

std::optional<CellRef> ReferenceBuilder::Bind(const WrittenRef& written, const std::string& sheet) const {
    int row = written.row + (written.absoluteRow ? 0 : shift_.rows);
    int column = written.column + (written.absoluteColumn ? 0 : shift_.columns);
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
        return std::nullopt;
    }
    RowAnchor* anchor = binder_.RowOf(sheet, row);
    if (!anchor) {
        return std::nullopt;
    }
    return CellRef{anchor, column, written.absoluteRow, written.absoluteColumn};
}

Token ReferenceBuilder::Cells(const std::string& sheet, const WrittenRef& first,
                              const std::optional<WrittenRef>& last) const {
    std::optional<CellRef> a = Bind(first, sheet);
    std::optional<CellRef> b = last ? Bind(*last, sheet) : a;
    if (!a || !b) {
        return ErrorToken(ErrorCode::Ref);
    }
    Token token;
    token.kind = last ? TokenKind::Range : TokenKind::Ref;
    if (!sheet.empty()) token.Words().sheet = sheet;
    token.first = *a;
    token.last = *b;
    if (last) {
        NormalizeRange(token);
    }
    return token;
}

Token ReferenceBuilder::Lines(const std::string& sheet, bool columns, WrittenLine a, WrittenLine b) const {
    int shiftBy = columns ? shift_.columns : shift_.rows;
    int limit = columns ? kMaxColumns : kMaxRows;
    int from = a.number + (a.absolute ? 0 : shiftBy);
    int to = b.number + (b.absolute ? 0 : shiftBy);
    if (from < 1 || to < 1 || from > limit || to > limit) {
        return ErrorToken(ErrorCode::Ref);
    }
    if (from > to) {
        std::swap(from, to);
        std::swap(a.absolute, b.absolute);
    }
    Token token;
    token.kind = TokenKind::Range;
    token.shape = columns ? RangeShape::Columns : RangeShape::Rows;
    if (!sheet.empty()) token.Words().sheet = sheet;
    if (columns) {
        auto [top, bottom] = binder_.ColumnEnds(sheet);
        token.first = {top, from, false, a.absolute};
        token.last = {bottom, to, false, b.absolute};
    } else {
        token.first = {binder_.RowOf(sheet, from), 1, a.absolute, false};
        token.last = {binder_.RowOf(sheet, to), kMaxColumns, b.absolute, false};
    }
    return token.first.row && token.last.row ? token : ErrorToken(ErrorCode::Ref);
}

RowAnchor* StandAloneBinder::RowOf(std::string_view, int row) {
    rows_.push_back(RowAnchor{row, 0});
    return &rows_.back();
}

namespace {

// Marks a relative row in a row-relative text; texts holding it are not made relative at all.
constexpr char kRowMark = '\x01';

// The corner moved down by `rows` when its row is relative; false when that leaves the sheet.
bool MoveRow(CellRef& corner, int rows, ReferenceBinder& binder, const std::string& sheet) {
    if (corner.absoluteRow) return true;
    int row = corner.row->index + rows;
    if (row < 1 || row > kMaxRows) return false;
    corner.row = binder.RowOf(sheet, row);
    return corner.row != nullptr;
}

}  // namespace

std::string RowRelativeText(std::string_view text, int row) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size();) {
        char ch = text[i];
        if (ch == kRowMark) return "";
        if (ch == '"' || ch == '\'') {
            size_t close = text.find(ch, i + 1);
            if (close == std::string_view::npos) return "";
            out.append(text.substr(i, close + 1 - i));
            i = close + 1;
        } else if (IsNameChar(ch)) {
            size_t end = i;
            while (end < text.size() && IsNameChar(text[end])) ++end;
            std::string_view word = text.substr(i, end - i);
            // a function's or a sheet's name may look like a cell: it stays as written
            bool named = end < text.size() && (text[end] == '(' || text[end] == '!');
            std::optional<WrittenRef> ref = named ? std::nullopt : ReadWrittenRef(word);
            if (ref && !ref->absoluteRow) {
                out.append(word.substr(0, word.find_first_of("0123456789")));
                out += kRowMark;
                out += std::to_string(ref->row - row);
            } else {
                out.append(word);
            }
            i = end;
        } else {
            out += ch;
            ++i;
        }
    }
    return out;
}

std::optional<Formula> MoveRowsDown(const Formula& formula, int rows, ReferenceBinder& binder) {
    Formula moved = formula;
    for (Token& token : moved) {
        bool reference = token.kind == TokenKind::Ref || token.kind == TokenKind::Range;
        // a computed block keeps the block its operands name, which moving would leave behind
        if (token.kind == TokenKind::Name || token.kind == TokenKind::Extent || (reference && !token.Text().empty())) {
            return std::nullopt;
        }
        if (!reference || token.shape != RangeShape::Cells) continue;
        // a block with one row fixed may have had its corners swapped, which moving would undo
        if (token.first.absoluteRow != token.last.absoluteRow) return std::nullopt;
        if (!MoveRow(token.first, rows, binder, token.Sheet()) || !MoveRow(token.last, rows, binder, token.Sheet())) {
            return std::nullopt;
        }
    }
    return moved;
}

}  // namespace keltrov::sheet
