#pragma once

// Formula text cut into its words: numbers, strings, names and references, operators and marks.
// Private to the formula engine.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sheet/formula.hpp"

namespace keltrov::sheet {

enum class LexemeKind : uint8_t {
    Number,       // as written: "12.5E3"
    String,       // the text between double quotes, "" read as one quote
    Error,        // "#DIV/0!"
    Word,         // a cell, column or row reference, a function, a defined name or an unquoted sheet
    QuotedSheet,  // 'My sheet', quotes taken off and '' read as one
    Operator,     // + - * / ^ & = <> < <= > >=
    Percent,
    Colon,
    Bang,
    Comma,
    Semicolon,
    Open,
    Close,
    OpenBrace,
    CloseBrace,
    Space,  // blanks between two references, the intersection operator
    End
};

struct Lexeme {
    LexemeKind kind = LexemeKind::End;
    std::string text;
    ErrorCode error = ErrorCode::Value;
    size_t position = 0;  // byte offset in the formula, for messages
};

// The operator an Operator lexeme stands for, and how an operator is written.
std::optional<Operator> OperatorOf(std::string_view text);
std::string_view OperatorText(Operator op);

// Characters of names and references; bytes of UTF-8 characters count, so 工资!A1 names a sheet.
bool IsNameChar(char ch);

// The lexemes of the text, ending with End. Blanks count only between something that ends a
// reference and something that starts one. Throws FormulaError where no formula can go on (an
// unclosed string, a character no formula holds).
std::vector<Lexeme> LexFormula(std::string_view text);

}  // namespace keltrov::sheet
