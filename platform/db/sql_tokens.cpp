#include "platform/db/sql_tokens.hpp"

#include <algorithm>
#include <cctype>

namespace keltrov::db {

namespace {

bool IsWordStart(unsigned char c) {
    return std::isalpha(c) != 0 || c == '_' || c == '#' || c == '@' || c >= 0x80;
}

bool IsWordPart(unsigned char c) {
    return IsWordStart(c) || std::isdigit(c) != 0 || c == '$';
}

// The character that closes a literal or quoted name opened by `open`.
char ClosingQuote(char open) {
    return open == '[' ? ']' : open;
}

size_t ScanQuoted(std::string_view sql, size_t start, char close) {
    size_t i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            // A doubled closing character stands for itself inside the literal.
            if (i + 1 < sql.size() && sql[i + 1] == close && close != ']') {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

size_t ScanNumber(std::string_view sql, size_t i) {
    auto digitAt = [&](size_t k) { return k < sql.size() && std::isdigit(static_cast<unsigned char>(sql[k])); };
    while (digitAt(i)) ++i;
    if (i < sql.size() && sql[i] == '.') {
        ++i;
        while (digitAt(i)) ++i;
    }
    if (i < sql.size() && (sql[i] == 'e' || sql[i] == 'E')) {
        size_t k = i + 1;
        if (k < sql.size() && (sql[k] == '+' || sql[k] == '-')) ++k;
        if (digitAt(k)) {
            i = k;
            while (digitAt(i)) ++i;
        }
    }
    return i;
}

size_t ScanSymbol(std::string_view sql, size_t i) {
    static constexpr std::string_view twoCharacter[] = {"<=", ">=", "<>", "!=", "||"};
    const std::string_view rest = sql.substr(i);
    for (std::string_view op : twoCharacter) {
        if (rest.starts_with(op)) return i + 2;
    }
    return i + 1;
}

struct Scan {
    TokenKind kind;
    size_t end;
};

Scan ScanToken(std::string_view sql, size_t i) {
    const auto c = static_cast<unsigned char>(sql[i]);
    if (std::isspace(c) != 0) {
        size_t end = i;
        while (end < sql.size() && std::isspace(static_cast<unsigned char>(sql[end])) != 0) ++end;
        return {TokenKind::Space, end};
    }
    if (sql.substr(i).starts_with("--")) {
        const size_t eol = sql.find('\n', i);
        return {TokenKind::Comment, eol == std::string_view::npos ? sql.size() : eol};
    }
    if (sql.substr(i).starts_with("/*")) {
        const size_t close = sql.find("*/", i + 2);
        return {TokenKind::Comment, close == std::string_view::npos ? sql.size() : close + 2};
    }
    if (c == '\'') return {TokenKind::String, ScanQuoted(sql, i, '\'')};
    // Names are quoted as "name" (standard), [name] (SQL Server, Access) or `name` (SQLite, MySQL).
    if (c == '"' || c == '[' || c == '`') return {TokenKind::QuotedName, ScanQuoted(sql, i, ClosingQuote(sql[i]))};
    if (std::isdigit(c) != 0) return {TokenKind::Number, ScanNumber(sql, i)};
    if (IsWordStart(c)) {
        size_t end = i + 1;
        while (end < sql.size() && IsWordPart(static_cast<unsigned char>(sql[end]))) ++end;
        return {TokenKind::Word, end};
    }
    return {TokenKind::Symbol, ScanSymbol(sql, i)};
}

}  // namespace

std::vector<Token> Tokenize(std::string_view sql) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < sql.size()) {
        const Scan scan = ScanToken(sql, i);
        tokens.push_back({scan.kind, std::string(sql.substr(i, scan.end - i))});
        i = scan.end;
    }
    return tokens;
}

std::string JoinTokens(const std::vector<Token>& tokens) {
    std::string sql;
    for (const Token& token : tokens) sql += token.text;
    return sql;
}

namespace {

// Whether the quoted text closes exactly at its end; a doubled closing character stands for itself.
bool ClosesAtEnd(std::string_view text, char close) {
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] != close) continue;
        if (close != ']' && i + 1 < text.size() && text[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1 == text.size();
    }
    return false;
}

}  // namespace

bool IsClosed(const Token& token) {
    switch (token.kind) {
        case TokenKind::String: return ClosesAtEnd(token.text, '\'');
        case TokenKind::QuotedName: return ClosesAtEnd(token.text, ClosingQuote(token.text.front()));
        case TokenKind::Comment:
            return !token.text.starts_with("/*") || (token.text.size() >= 4 && token.text.ends_with("*/"));
        default: return true;
    }
}

bool IsWord(const Token& token, std::string_view lowerWord) {
    return token.kind == TokenKind::Word && token.text.size() == lowerWord.size() &&
           std::equal(token.text.begin(), token.text.end(), lowerWord.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

bool IsSymbol(const Token& token, std::string_view symbol) {
    return token.kind == TokenKind::Symbol && token.text == symbol;
}

size_t NextSignificant(const std::vector<Token>& tokens, size_t from) {
    while (from < tokens.size() && (tokens[from].kind == TokenKind::Space || tokens[from].kind == TokenKind::Comment))
        ++from;
    return from;
}

bool IsSingleSelect(std::string_view sql) {
    const std::vector<Token> tokens = Tokenize(sql);
    const size_t first = NextSignificant(tokens, 0);
    if (first >= tokens.size() || !IsWord(tokens[first], "select")) return false;
    for (size_t i = first; i < tokens.size(); ++i) {
        if (IsSymbol(tokens[i], ";") && NextSignificant(tokens, i + 1) < tokens.size()) return false;
    }
    return true;
}

namespace {

// True when the source named at `tableAt` is followed, after an optional alias, by a second source.
bool ListsAnotherSource(const std::vector<Token>& tokens, size_t tableAt) {
    size_t next = NextSignificant(tokens, tableAt + 1);
    if (next < tokens.size() && IsWord(tokens[next], "as")) next = NextSignificant(tokens, next + 1);
    static constexpr std::string_view clauses[] = {"where", "order", "group", "having", "limit"};
    const bool isAlias = next < tokens.size() && tokens[next].kind == TokenKind::Word &&
                         std::none_of(std::begin(clauses), std::end(clauses),
                                      [&](std::string_view w) { return IsWord(tokens[next], w); });
    if (isAlias) next = NextSignificant(tokens, next + 1);
    return next < tokens.size() && IsSymbol(tokens[next], ",");
}

}  // namespace

std::string SingleSourceTable(std::string_view sql) {
    const std::vector<Token> tokens = Tokenize(sql);
    int depth = 0;
    std::string table;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (IsSymbol(token, "(")) ++depth;
        if (IsSymbol(token, ")")) --depth;
        if (depth != 0) continue;
        if (IsWord(token, "union") || IsWord(token, "join")) return {};
        if (IsWord(token, "from") && table.empty()) {
            const size_t next = NextSignificant(tokens, i + 1);
            if (next >= tokens.size() || tokens[next].kind != TokenKind::Word) return {};
            if (ListsAnotherSource(tokens, next)) return {};
            table = tokens[next].text;
            i = next;
        }
    }
    return table;
}

namespace {

using Tokens = std::vector<Token>;

bool IsNameOrStar(const Token& token) {
    return token.kind == TokenKind::Word || IsSymbol(token, "*");
}

// One select-list item from `at`: "*", "name" or "qualifier.name" (or "qualifier.*"). Moves `at` past
// it and gives the name; none when the item is anything else.
std::optional<std::string> ReadListedColumn(const Tokens& tokens, size_t& at) {
    if (at >= tokens.size() || !IsNameOrStar(tokens[at])) return std::nullopt;
    std::string name = tokens[at].text;
    for (size_t dot = NextSignificant(tokens, at + 1); dot < tokens.size() && IsSymbol(tokens[dot], ".");
         dot = NextSignificant(tokens, at + 1)) {
        at = NextSignificant(tokens, dot + 1);
        if (at >= tokens.size() || !IsNameOrStar(tokens[at])) return std::nullopt;
        name = tokens[at].text;
    }
    ++at;
    return name;
}

// Whether the clauses after the list merge rows, add a statement, or send the rows elsewhere.
bool MergesOrAddsRows(const Tokens& tokens, size_t from) {
    static constexpr std::string_view merging[] = {"group", "having", "union", "except", "intersect", "into"};
    int depth = 0;
    for (size_t i = from; i < tokens.size(); ++i) {
        if (IsSymbol(tokens[i], "(")) ++depth;
        if (IsSymbol(tokens[i], ")")) --depth;
        if (depth != 0) continue;
        if (IsSymbol(tokens[i], ";") && NextSignificant(tokens, i + 1) < tokens.size()) return true;
        if (std::any_of(std::begin(merging), std::end(merging),
                        [&](std::string_view w) { return IsWord(tokens[i], w); }))
            return true;
    }
    return false;
}

size_t OffsetOf(const Tokens& tokens, size_t end) {
    size_t offset = 0;
    for (size_t i = 0; i < end; ++i) offset += tokens[i].text.size();
    return offset;
}

}  // namespace

std::optional<PlainSelect> ReadPlainSelect(std::string_view sql) {
    const Tokens tokens = Tokenize(sql);
    size_t at = NextSignificant(tokens, 0);
    if (at >= tokens.size() || !IsWord(tokens[at], "select")) return std::nullopt;
    at = NextSignificant(tokens, at + 1);
    if (at < tokens.size() && IsWord(tokens[at], "top")) {
        at = NextSignificant(tokens, at + 1);
        if (at >= tokens.size() || tokens[at].kind != TokenKind::Number) return std::nullopt;
        at = NextSignificant(tokens, at + 1);
    }
    if (at < tokens.size() && (IsWord(tokens[at], "distinct") || IsWord(tokens[at], "all"))) return std::nullopt;
    PlainSelect select;
    for (;;) {
        std::optional<std::string> column = ReadListedColumn(tokens, at);
        if (!column) return std::nullopt;
        select.columns.push_back(std::move(*column));
        select.listEnd = OffsetOf(tokens, at);
        at = NextSignificant(tokens, at);
        if (at < tokens.size() && IsSymbol(tokens[at], ",")) {
            at = NextSignificant(tokens, at + 1);
            continue;
        }
        if (at >= tokens.size() || !IsWord(tokens[at], "from") || MergesOrAddsRows(tokens, at)) return std::nullopt;
        return select;
    }
}

}  // namespace keltrov::db
