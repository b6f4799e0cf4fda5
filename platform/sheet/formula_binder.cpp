#include "platform/sheet/formula_binder.hpp"

#include <cctype>

namespace keltrov::sheet {
namespace {

bool IsAlpha(char ch) {
    return std::isalpha(static_cast<unsigned char>(ch)) != 0;
}

bool IsDigit(char ch) {
    return std::isdigit(static_cast<unsigned char>(ch)) != 0;
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

}  // namespace keltrov::sheet
