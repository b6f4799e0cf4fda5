#include "platform/sheet/formula.hpp"

#include <array>
#include <cctype>
#include <deque>
#include <optional>

#include "platform/sheet/variant.hpp"

namespace keltrov::sheet {
namespace {

struct FunctionInfo {
    std::string_view name;
    FunctionId id;
    int minArgs;
    int maxArgs;
};

constexpr int kManyArgs = 255;

constexpr std::array<FunctionInfo, 17> kFunctions{{
    {"SUM", FunctionId::Sum, 1, kManyArgs},
    {"AVERAGE", FunctionId::Average, 1, kManyArgs},
    {"MIN", FunctionId::Min, 1, kManyArgs},
    {"MAX", FunctionId::Max, 1, kManyArgs},
    {"COUNT", FunctionId::Count, 1, kManyArgs},
    {"COUNTA", FunctionId::CountA, 1, kManyArgs},
    {"ROUND", FunctionId::Round, 2, 2},
    {"ROUNDUP", FunctionId::RoundUp, 2, 2},
    {"ROUNDDOWN", FunctionId::RoundDown, 2, 2},
    {"INT", FunctionId::Int, 1, 1},
    {"ABS", FunctionId::Abs, 1, 1},
    {"MOD", FunctionId::Mod, 2, 2},
    {"IF", FunctionId::If, 2, 3},
    {"AND", FunctionId::And, 1, kManyArgs},
    {"OR", FunctionId::Or, 1, kManyArgs},
    {"NOT", FunctionId::Not, 1, 1},
    {"IFERROR", FunctionId::IfError, 2, 2},
}};

struct OperatorText {
    Operator op;
    std::string_view text;
};

// Two-character operators come first so "<=" is not read as "<".
constexpr std::array<OperatorText, 12> kOperators{{
    {Operator::Le, "<="},
    {Operator::Ge, ">="},
    {Operator::Ne, "<>"},
    {Operator::Lt, "<"},
    {Operator::Gt, ">"},
    {Operator::Eq, "="},
    {Operator::Concat, "&"},
    {Operator::Add, "+"},
    {Operator::Sub, "-"},
    {Operator::Mul, "*"},
    {Operator::Div, "/"},
    {Operator::Pow, "^"},
}};

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& ch : upper) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return upper;
}

const FunctionInfo* FindFunction(std::string_view upperName) {
    for (const FunctionInfo& info : kFunctions) {
        if (info.name == upperName) {
            return &info;
        }
    }
    return nullptr;
}

bool IsNameChar(char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '.' || ch == '$';
}

// A reference as written: column letters and row digits, each optionally after "$".
struct WrittenRef {
    int row = 0;
    int column = 0;
    bool absoluteRow = false;
    bool absoluteColumn = false;
};

std::optional<WrittenRef> ReadWrittenRef(std::string_view word) {
    WrittenRef ref;
    size_t pos = 0;
    ref.absoluteColumn = pos < word.size() && word[pos] == '$';
    pos += ref.absoluteColumn ? 1 : 0;
    size_t lettersStart = pos;
    while (pos < word.size() && std::isalpha(static_cast<unsigned char>(word[pos]))) {
        ++pos;
    }
    ref.column = ColumnFromName(word.substr(lettersStart, pos - lettersStart));
    ref.absoluteRow = pos < word.size() && word[pos] == '$';
    pos += ref.absoluteRow ? 1 : 0;
    size_t digitsStart = pos;
    while (pos < word.size() && std::isdigit(static_cast<unsigned char>(word[pos]))) {
        ++pos;
    }
    std::string_view digits = word.substr(digitsStart, pos - digitsStart);
    if (ref.column == 0 || digits.empty() || digits.size() > 7 || pos != word.size()) {
        return std::nullopt;
    }
    ref.row = std::stoi(std::string(digits));
    if (ref.row < 1 || ref.row > kMaxRows) {
        return std::nullopt;
    }
    return ref;
}

class Parser {
public:
    Parser(std::string_view text, const RowResolver& rowAt, ReferenceShift shift)
        : text_(text), rowAt_(rowAt), shift_(shift) {}

    Formula Parse() {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '=') {
            ++pos_;
        }
        SkipBlanks();
        if (AtEnd()) {
            Fail("the formula is empty");
        }
        ParseComparison();
        SkipBlanks();
        if (!AtEnd()) {
            Fail("unexpected character");
        }
        return std::move(out_);
    }

private:
    using Level = void (Parser::*)();

    [[noreturn]] void Fail(const std::string& why) const {
        throw AutomationError("formula \"" + std::string(text_) + "\" does not parse: " + why +
                              " at position " + std::to_string(pos_ + 1));
    }

    bool AtEnd() const { return pos_ >= text_.size(); }

    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r')) {
            ++pos_;
        }
    }

    bool Accept(char ch) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == ch) {
            ++pos_;
            return true;
        }
        return false;
    }

    std::optional<Operator> AcceptOperator(std::initializer_list<Operator> allowed) {
        SkipBlanks();
        for (const OperatorText& candidate : kOperators) {
            if (text_.substr(pos_, candidate.text.size()) != candidate.text) {
                continue;
            }
            for (Operator op : allowed) {
                if (op == candidate.op) {
                    pos_ += candidate.text.size();
                    return op;
                }
            }
            return std::nullopt;  // the longest operator here belongs to another level
        }
        return std::nullopt;
    }

    void ParseBinaryLevel(std::initializer_list<Operator> ops, Level next) {
        (this->*next)();
        while (auto op = AcceptOperator(ops)) {
            (this->*next)();
            Token token;
            token.kind = TokenKind::Binary;
            token.op = *op;
            out_.push_back(std::move(token));
        }
    }

    void ParseComparison() {
        ParseBinaryLevel({Operator::Eq, Operator::Ne, Operator::Lt, Operator::Le, Operator::Gt, Operator::Ge},
                         &Parser::ParseConcat);
    }
    void ParseConcat() { ParseBinaryLevel({Operator::Concat}, &Parser::ParseAdditive); }
    void ParseAdditive() { ParseBinaryLevel({Operator::Add, Operator::Sub}, &Parser::ParseMultiplicative); }
    void ParseMultiplicative() { ParseBinaryLevel({Operator::Mul, Operator::Div}, &Parser::ParsePower); }
    void ParsePower() { ParseBinaryLevel({Operator::Pow}, &Parser::ParsePercent); }

    void ParsePercent() {
        ParseUnary();
        while (Accept('%')) {
            Push(TokenKind::Percent);
        }
    }

    // Sign binds tighter than "^", as in Excel and LibreOffice: -2^2 is 4.
    void ParseUnary() {
        if (Accept('-')) {
            ParseUnary();
            Push(TokenKind::Negate);
        } else if (Accept('+')) {
            ParseUnary();
            Push(TokenKind::Plus);
        } else {
            ParsePrimary();
        }
    }

    void Push(TokenKind kind) {
        Token token;
        token.kind = kind;
        out_.push_back(std::move(token));
    }

    void ParsePrimary() {
        SkipBlanks();
        if (AtEnd()) {
            Fail("an operand is missing");
        }
        char ch = text_[pos_];
        if (std::isdigit(static_cast<unsigned char>(ch)) || ch == '.') {
            ParseNumberLiteral();
        } else if (ch == '"') {
            ParseStringLiteral();
        } else if (ch == '#') {
            ParseErrorLiteral();
        } else if (ch == '(') {
            ++pos_;
            ParseComparison();
            if (!Accept(')')) {
                Fail("\")\" expected");
            }
            Push(TokenKind::Paren);
        } else if (IsNameChar(ch)) {
            ParseWord();
        } else {
            Fail("unexpected character");
        }
    }

    void ParseNumberLiteral() {
        size_t start = pos_;
        auto digits = [&] {
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
                ++pos_;
            }
        };
        digits();
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            digits();
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) {
                ++pos_;
            }
            digits();
        }
        Token token;
        token.kind = TokenKind::Number;
        token.text = std::string(text_.substr(start, pos_ - start));
        std::optional<double> number = ParseNumber(token.text);
        if (!number) {
            Fail("malformed number");
        }
        token.number = *number;
        out_.push_back(std::move(token));
    }

    void ParseStringLiteral() {
        ++pos_;
        Token token;
        token.kind = TokenKind::String;
        while (true) {
            if (AtEnd()) {
                Fail("unterminated string");
            }
            char ch = text_[pos_++];
            if (ch == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    ++pos_;
                } else {
                    break;
                }
            }
            token.text += ch;
        }
        out_.push_back(std::move(token));
    }

    void ParseErrorLiteral() {
        for (ErrorCode code : {ErrorCode::Div0, ErrorCode::Value, ErrorCode::Ref, ErrorCode::Name,
                               ErrorCode::Num, ErrorCode::NA, ErrorCode::Circular}) {
            std::string_view errorText = ErrorText(code);
            if (text_.substr(pos_, errorText.size()) == errorText) {
                pos_ += errorText.size();
                PushError(code);
                return;
            }
        }
        Fail("unknown error value");
    }

    void PushError(ErrorCode code) {
        Token token;
        token.kind = TokenKind::Error;
        token.error = code;
        out_.push_back(std::move(token));
    }

    std::string_view ReadWord() {
        size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    void ParseWord() {
        std::string_view word = ReadWord();
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '(') {
            ++pos_;
            ParseFunctionCall(word);
            return;
        }
        if (std::optional<WrittenRef> ref = ReadWrittenRef(word)) {
            ParseReference(*ref);
            return;
        }
        std::string upper = Upper(word);
        if (upper == "TRUE" || upper == "FALSE") {
            Token token;
            token.kind = TokenKind::Bool;
            token.boolean = upper == "TRUE";
            out_.push_back(std::move(token));
            return;
        }
        if (word.find('$') != std::string_view::npos || std::isdigit(static_cast<unsigned char>(word[0]))) {
            Fail("malformed reference");
        }
        Token token;
        token.kind = TokenKind::Name;
        token.text = std::string(word);
        out_.push_back(std::move(token));
    }

    void ParseReference(const WrittenRef& first) {
        size_t afterFirst = pos_;
        std::optional<WrittenRef> last;
        if (Accept(':')) {
            SkipBlanks();
            last = ReadWrittenRef(ReadWord());
            if (!last) {
                Fail("malformed range");
            }
        } else {
            pos_ = afterFirst;
        }
        std::optional<CellRef> a = Bind(first);
        std::optional<CellRef> b = last ? Bind(*last) : a;
        if (!a || !b) {
            PushError(ErrorCode::Ref);
            return;
        }
        Token token;
        token.kind = last ? TokenKind::Range : TokenKind::Ref;
        token.first = *a;
        token.last = *b;
        if (last) {
            NormalizeRange(token);
        }
        out_.push_back(std::move(token));
    }

    // Ranges are kept top-left to bottom-right whichever corners were written.
    static void NormalizeRange(Token& token) {
        if (token.first.row->index > token.last.row->index) {
            std::swap(token.first.row, token.last.row);
            std::swap(token.first.absoluteRow, token.last.absoluteRow);
        }
        if (token.first.column > token.last.column) {
            std::swap(token.first.column, token.last.column);
            std::swap(token.first.absoluteColumn, token.last.absoluteColumn);
        }
    }

    std::optional<CellRef> Bind(const WrittenRef& written) const {
        int row = written.row + (written.absoluteRow ? 0 : shift_.rows);
        int column = written.column + (written.absoluteColumn ? 0 : shift_.columns);
        if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
            return std::nullopt;
        }
        return CellRef{rowAt_(row), column, written.absoluteRow, written.absoluteColumn};
    }

    void ParseFunctionCall(std::string_view name) {
        if (name.find('$') != std::string_view::npos) {
            Fail("malformed function name");
        }
        int argc = 0;
        if (!Accept(')')) {
            do {
                SkipBlanks();
                if (pos_ < text_.size() && (text_[pos_] == ',' || text_[pos_] == ')')) {
                    Push(TokenKind::Missing);
                } else {
                    ParseComparison();
                }
                ++argc;
            } while (Accept(','));
            if (!Accept(')')) {
                Fail("\")\" expected");
            }
        }
        Token token;
        token.kind = TokenKind::Function;
        token.text = Upper(name);
        if (const FunctionInfo* info = FindFunction(token.text)) {
            if (argc < info->minArgs || argc > info->maxArgs) {
                Fail("wrong number of arguments to " + token.text);
            }
            token.function = info->id;
        }
        token.argumentCount = static_cast<uint16_t>(argc);
        out_.push_back(std::move(token));
    }

    std::string_view text_;
    const RowResolver& rowAt_;
    ReferenceShift shift_;
    size_t pos_ = 0;
    Formula out_;
};

std::string_view OperatorSymbol(Operator op) {
    for (const OperatorText& candidate : kOperators) {
        if (candidate.op == op) {
            return candidate.text;
        }
    }
    return "?";
}

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

std::string PrintOperand(const Token& token) {
    switch (token.kind) {
        case TokenKind::Number: return token.text;
        case TokenKind::String: return QuoteString(token.text);
        case TokenKind::Bool: return token.boolean ? "TRUE" : "FALSE";
        case TokenKind::Error: return std::string(ErrorText(token.error));
        case TokenKind::Missing: return "";
        case TokenKind::Ref: return PrintReference(token.first);
        case TokenKind::Range: return PrintReference(token.first) + ":" + PrintReference(token.last);
        default: return token.text;
    }
}

std::string PopBack(std::vector<std::string>& stack) {
    std::string top = std::move(stack.back());
    stack.pop_back();
    return top;
}

}  // namespace

Formula ParseFormula(std::string_view text, const RowResolver& rowAt, ReferenceShift shift) {
    return Parser(text, rowAt, shift).Parse();
}

std::string ShiftFormulaText(std::string_view text, ReferenceShift shift) {
    std::deque<RowAnchor> rows;  // one stand-alone row per reference; a deque keeps their addresses
    Formula formula = ParseFormula(
        text,
        [&rows](int row) {
            rows.push_back(RowAnchor{row});
            return &rows.back();
        },
        shift);
    return PrintFormula(formula);
}

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
            case TokenKind::Binary: {
                std::string right = PopBack(stack);
                stack.back() += std::string(OperatorSymbol(token.op)) + right;
                break;
            }
            case TokenKind::Function: {
                size_t firstArg = stack.size() - token.argumentCount;
                std::string args;
                for (size_t i = firstArg; i < stack.size(); ++i) {
                    args += (i == firstArg ? "" : ",") + stack[i];
                }
                stack.resize(firstArg);
                stack.push_back(token.text + "(" + args + ")");
                break;
            }
            default: stack.push_back(PrintOperand(token)); break;
        }
    }
    return stack.empty() ? std::string() : stack.back();
}

}  // namespace keltrov::sheet
