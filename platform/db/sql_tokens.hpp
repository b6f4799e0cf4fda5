#pragma once
// Splits an SQL text into tokens so that rewrites never touch quoted literals or quoted names.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keltrov::db {

enum class TokenKind { Space, Comment, Word, Number, String, QuotedName, Symbol, Raw };

struct Token {
    TokenKind kind;
    std::string text;
};

std::vector<Token> Tokenize(std::string_view sql);
std::string JoinTokens(const std::vector<Token>& tokens);

// False for a literal, quoted name or block comment that the text ends before closing.
bool IsClosed(const Token& token);

// True for a word token equal to `lowerWord` without regard to case.
bool IsWord(const Token& token, std::string_view lowerWord);
bool IsSymbol(const Token& token, std::string_view symbol);
// Index of the first token at or after `from` that is neither blank nor comment; tokens.size() if none.
size_t NextSignificant(const std::vector<Token>& tokens, size_t from);

// True when the text is one select statement and nothing more: its first word is select (either
// case) and no second statement follows a semicolon.
bool IsSingleSelect(std::string_view sql);

// The single table a query reads from, or empty when it reads from several, a subquery or a union.
std::string SingleSourceTable(std::string_view sql);

// A select whose rows are its table's rows one for one: it lists nothing but column names or "*", and
// neither distinct nor grouping merges rows. Columns added after its list leave its rows as they are.
struct PlainSelect {
    std::vector<std::string> columns;  // each listed column's name; "*" for all of the table's
    size_t listEnd = 0;                // offset in the text just past the list's last item
};
std::optional<PlainSelect> ReadPlainSelect(std::string_view sql);

}  // namespace keltrov::db
