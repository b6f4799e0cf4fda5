// Tokens back to formula text in A1 form, as the control shows a formula.
#include <algorithm>
#include <cctype>

#include "platform/sheet/formula.hpp"
#include "platform/sheet/formula_binder.hpp"
#include "platform/sheet/formula_lexer.hpp"
#include "platform/sheet/functions.hpp"

namespace keltrov::sheet {
namespace {

std::string QuoteString(const std::string& text) {
    std::string quoted = "\"";
    for (char ch : text) {
        quoted += ch;
        if (ch == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// A sheet name as a formula writes it: quoted unless it is one plain word.
std::string SheetPrefix(const std::string& sheet) {
    if (sheet.empty()) {
        return "";
    }
    bool plain = !std::isdigit(static_cast<unsigned char>(sheet.front())) &&
                 std::all_of(sheet.begin(), sheet.end(), [](char ch) { return IsNameChar(ch) && ch != '$'; }) &&
                 !ReadWrittenRef(sheet);
    if (plain) {
        return sheet + "!";
    }
    std::string quoted = "'";
    for (char ch : sheet) {
        quoted += ch == '\'' ? "''" : std::string(1, ch);
    }
    return quoted + "'!";
}

std::string PrintRange(const Token& token) {
    auto line = [](bool absolute, std::string number) { return (absolute ? "$" : "") + number; };
    switch (token.shape) {
        case RangeShape::Columns:
            return line(token.first.absoluteColumn, ColumnName(token.first.column)) + ":" +
                   line(token.last.absoluteColumn, ColumnName(token.last.column));
        case RangeShape::Rows:
            return line(token.first.absoluteRow, std::to_string(token.first.row->index)) + ":" +
                   line(token.last.absoluteRow, std::to_string(token.last.row->index));
        case RangeShape::Cells: break;
    }
    return PrintReference(token.first) + ":" + PrintReference(token.last);
}

std::string PrintArrayElement(const Value& v) {
    switch (v.kind) {
        case Value::Kind::Number: return NumberToText(v.number);
        case Value::Kind::String: return QuoteString(v.text);
        case Value::Kind::Bool: return v.boolean ? "TRUE" : "FALSE";
        case Value::Kind::Error: return std::string(ErrorText(v.error));
        default: return "";
    }
}

std::string PrintArray(const Matrix& m) {
    std::string text = "{";
    for (int r = 0; r < m.rows; ++r) {
        for (int c = 0; c < m.columns; ++c) {
            text += (c > 0 ? "," : r > 0 ? ";" : "") + PrintArrayElement(m.At(r, c));
        }
    }
    return text + "}";
}

std::string PrintOperand(const Token& token) {
    switch (token.kind) {
        case TokenKind::Number: return token.Text();
        case TokenKind::String: return QuoteString(token.Text());
        case TokenKind::Bool: return token.boolean ? "TRUE" : "FALSE";
        case TokenKind::Error: return std::string(ErrorText(token.error));
        case TokenKind::Missing: return "";
        case TokenKind::Ref:
            return token.Text().empty() ? SheetPrefix(token.Sheet()) + PrintReference(token.first) : token.Text();
        case TokenKind::Range:
            return token.Text().empty() ? SheetPrefix(token.Sheet()) + PrintRange(token) : token.Text();
        case TokenKind::Array: return PrintArray(*token.Array());
        default: return token.Text();
    }
}

std::string PopBack(std::vector<std::string>& stack) {
    std::string top = std::move(stack.back());
    stack.pop_back();
    return top;
}

// The text that joins the two operands of a binary token.
std::string_view Joiner(const Token& token) {
    switch (token.kind) {
        case TokenKind::Intersect: return " ";
        case TokenKind::Union: return ",";
        case TokenKind::Extent: return ":";
        default: return OperatorText(token.op);
    }
}

}  // namespace

std::string PrintReference(const CellRef& ref) {
    return (ref.absoluteColumn ? "$" : "") + ColumnName(ref.column) + (ref.absoluteRow ? "$" : "") +
           std::to_string(ref.row->index);
}

std::string PrintFormula(const Formula& formula) {
    std::vector<std::string> stack;
    for (const Token& token : formula) {
        switch (token.kind) {
            case TokenKind::Negate: stack.back().insert(0, "-"); break;
            case TokenKind::Plus: stack.back().insert(0, "+"); break;
            case TokenKind::Percent: stack.back() += "%"; break;
            case TokenKind::Paren: stack.back() = "(" + stack.back() + ")"; break;
            case TokenKind::Binary:
            case TokenKind::Intersect:
            case TokenKind::Union:
            case TokenKind::Extent: {
                std::string right = PopBack(stack);
                stack.back() += std::string(Joiner(token)) + right;
                break;
            }
            case TokenKind::Function: {
                size_t firstArg = stack.size() - token.argumentCount;
                std::string args;
                for (size_t i = firstArg; i < stack.size(); ++i) {
                    args += (i == firstArg ? "" : ",") + stack[i];
                }
                stack.resize(firstArg);
                std::string name = token.function ? std::string(token.function->name) : token.Text();
                stack.push_back(name + "(" + args + ")");
                break;
            }
            default: stack.push_back(PrintOperand(token)); break;
        }
    }
    return stack.empty() ? std::string() : stack.back();
}

}  // namespace keltrov::sheet
