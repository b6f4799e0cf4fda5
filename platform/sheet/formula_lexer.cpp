#include "platform/sheet/formula_lexer.hpp"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/sheet/errors.hpp"

namespace keltrov::sheet {
namespace {

// Two-character operators come first so "<=" is not read as "<".
constexpr std::array<std::pair<std::string_view, Operator>, 12> kOperators{{
    {"<=", Operator::Le},
    {">=", Operator::Ge},
    {"<>", Operator::Ne},
    {"<", Operator::Lt},
    {">", Operator::Gt},
    {"=", Operator::Eq},
    {"&", Operator::Concat},
    {"+", Operator::Add},
    {"-", Operator::Sub},
    {"*", Operator::Mul},
    {"/", Operator::Div},
    {"^", Operator::Pow},
}};

bool IsDigit(char ch) {
    return std::isdigit(static_cast<unsigned char>(ch)) != 0;
}

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\n' || ch == '\r';
}

class Lexer {
public:
    // Most formulas are short: room for their words at once spares growing the list word by word.
    explicit Lexer(std::string_view text) : text_(text) { out_.reserve(std::min<size_t>(text.size() + 1, 16)); }

    std::vector<Lexeme> Run() {
        while (pos_ < text_.size()) {
            if (IsBlank(text_[pos_])) {
                Blanks();
            } else {
                Next();
            }
        }
        Push(LexemeKind::End, "", pos_);
        return std::move(out_);
    }

private:
    [[noreturn]] void Fail(const std::string& why, size_t at) const {
        throw FormulaError("公式无法解析: " + why + " (第 " + std::to_string(at + 1) + " 个字节)");
    }

    void Push(LexemeKind kind, std::string text, size_t at) { out_.push_back({kind, std::move(text), {}, at}); }

    bool EndsReference() const {
        if (out_.empty()) return false;
        LexemeKind last = out_.back().kind;
        return last == LexemeKind::Word || last == LexemeKind::Close;
    }

    // A run of blanks is the intersection operator only between two references.
    void Blanks() {
        size_t start = pos_;
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
        if (pos_ < text_.size() && EndsReference()) {
            char next = text_[pos_];
            bool startsReference = (IsNameChar(next) && !IsDigit(next) && next != '.') || next == '\'' || next == '(';
            if (startsReference) Push(LexemeKind::Space, " ", start);
        }
    }

    void Next() {
        char ch = text_[pos_];
        size_t at = pos_;
        if (ch == '"') {
            Push(LexemeKind::String, Quoted('"', "字符串没有结束"), at);
        } else if (ch == '\'') {
            Push(LexemeKind::QuotedSheet, Quoted('\'', "工作表名没有结束"), at);
        } else if (ch == '#') {
            ErrorLiteral();
        } else if (IsDigit(ch) || (ch == '.' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1]))) {
            Push(LexemeKind::Number, std::string(NumberText()), at);
        } else if (IsNameChar(ch)) {
            size_t start = pos_;
            while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
            Push(LexemeKind::Word, std::string(text_.substr(start, pos_ - start)), at);
        } else if (!Mark(ch)) {
            Operator();
        }
    }

    bool Mark(char ch) {
        static constexpr std::pair<char, LexemeKind> kMarks[] = {
            {'%', LexemeKind::Percent}, {':', LexemeKind::Colon},     {'!', LexemeKind::Bang},
            {',', LexemeKind::Comma},   {';', LexemeKind::Semicolon}, {'(', LexemeKind::Open},
            {')', LexemeKind::Close},   {'{', LexemeKind::OpenBrace}, {'}', LexemeKind::CloseBrace}};
        for (auto [mark, kind] : kMarks) {
            if (ch == mark) {
                Push(kind, std::string(1, ch), pos_++);
                return true;
            }
        }
        return false;
    }

    void Operator() {
        for (auto [op, kind] : kOperators) {
            if (text_.substr(pos_, op.size()) == op) {
                Push(LexemeKind::Operator, std::string(op), pos_);
                pos_ += op.size();
                return;
            }
        }
        Fail("意外的字符", pos_);
    }

    // Text up to the closing quote; a doubled quote stands for one.
    std::string Quoted(char quote, const char* unclosed) {
        size_t start = pos_++;
        std::string text;
        while (true) {
            if (pos_ >= text_.size()) Fail(unclosed, start);
            char ch = text_[pos_++];
            if (ch == quote) {
                if (pos_ >= text_.size() || text_[pos_] != quote) break;
                ++pos_;
            }
            text += ch;
        }
        return text;
    }

    std::string_view NumberText() {
        size_t start = pos_;
        auto digits = [this] {
            while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
        };
        digits();
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            digits();
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            digits();
        }
        return text_.substr(start, pos_ - start);
    }

    void ErrorLiteral() {
        for (ErrorCode code : {ErrorCode::Div0, ErrorCode::Value, ErrorCode::Ref, ErrorCode::Name, ErrorCode::Num,
                               ErrorCode::NA, ErrorCode::Null, ErrorCode::Circular}) {
            std::string_view written = ErrorText(code);
            if (text_.substr(pos_, written.size()) == written) {
                out_.push_back({LexemeKind::Error, std::string(written), code, pos_});
                pos_ += written.size();
                return;
            }
        }
        Fail("不认识的错误值", pos_);
    }

    std::string_view text_;
    size_t pos_ = 0;
    std::vector<Lexeme> out_;
};

}  // namespace

bool IsNameChar(char ch) {
    auto byte = static_cast<unsigned char>(ch);
    return std::isalnum(byte) || ch == '_' || ch == '.' || ch == '$' || byte >= 0x80;
}

std::optional<Operator> OperatorOf(std::string_view text) {
    for (auto [written, op] : kOperators) {
        if (written == text) return op;
    }
    return std::nullopt;
}

std::string_view OperatorText(Operator op) {
    for (auto [written, candidate] : kOperators) {
        if (candidate == op) return written;
    }
    return "?";
}

std::vector<Lexeme> LexFormula(std::string_view text) {
    return Lexer(text).Run();
}

}  // namespace keltrov::sheet
