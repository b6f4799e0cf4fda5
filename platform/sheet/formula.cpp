#include "platform/sheet/formula.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <deque>
#include <optional>

#include "platform/sheet/errors.hpp"
#include "platform/sheet/functions.hpp"

namespace keltrov::sheet {
namespace {

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

// Bytes of UTF-8 characters count as name characters, so that 工资!A1 names a sheet.
bool IsNameChar(char ch) {
    auto byte = static_cast<unsigned char>(ch);
    return std::isalnum(byte) || ch == '_' || ch == '.' || ch == '$' || byte >= 0x80;
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

// A whole-column ("$A") or whole-row ("$12") end of a range as written.
struct WrittenLine {
    int number = 0;
    bool absolute = false;
};

std::optional<WrittenLine> ReadWrittenLine(std::string_view word, bool columns) {
    WrittenLine line;
    line.absolute = !word.empty() && word.front() == '$';
    word.remove_prefix(line.absolute ? 1 : 0);
    if (columns) {
        line.number = ColumnFromName(word);
        return line.number > 0 ? std::optional(line) : std::nullopt;
    }
    if (word.empty() || word.size() > 7 || word.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    line.number = std::stoi(std::string(word));
    return line.number >= 1 && line.number <= kMaxRows ? std::optional(line) : std::nullopt;
}

class Parser {
public:
    Parser(std::string_view text, ReferenceBinder& binder, ReferenceShift shift)
        : text_(text), binder_(binder), shift_(shift) {}

    Formula Parse() {
        if (text_.size() > kMaxFormulaBytes) {
            Fail("公式太长");
        }
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '=') {
            ++pos_;
        }
        SkipBlanks();
        if (AtEnd()) {
            Fail("公式是空的");
        }
        ParseComparison();
        SkipBlanks();
        if (!AtEnd()) {
            Fail("意外的字符");
        }
        return std::move(out_);
    }

private:
    using Level = void (Parser::*)();

    [[noreturn]] void Fail(const std::string& why) const {
        throw FormulaError("公式无法解析: " + why + " (第 " + std::to_string(pos_ + 1) + " 个字节)");
    }

    // Counts one more level of parentheses or function call, refusing what would overflow the stack.
    struct Nesting {
        explicit Nesting(Parser& parser) : parser_(parser) {
            if (++parser_.depth_ > kMaxFormulaNesting) {
                parser_.Fail("嵌套超过 " + std::to_string(kMaxFormulaNesting) + " 层");
            }
        }
        ~Nesting() { --parser_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        Parser& parser_;
    };

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

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

    // Sign binds tighter than "^", as in Excel and LibreOffice: -2^2 is 4. Signs are counted in a
    // loop, so a long run of them costs no stack.
    void ParseUnary() {
        std::vector<TokenKind> signs;
        while (true) {
            if (Accept('-')) {
                signs.push_back(TokenKind::Negate);
            } else if (Accept('+')) {
                signs.push_back(TokenKind::Plus);
            } else {
                break;
            }
        }
        ParsePrimary();
        for (auto it = signs.rbegin(); it != signs.rend(); ++it) {
            Push(*it);
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
            Fail("缺少运算对象");
        }
        char ch = text_[pos_];
        if (ch == '(') {
            Nesting level(*this);
            ++pos_;
            ParseComparison();
            if (!Accept(')')) {
                Fail("缺少 \")\"");
            }
            Push(TokenKind::Paren);
        } else if (ch == '"') {
            ParseStringLiteral();
        } else if (ch == '#') {
            PushError(ParseErrorLiteral());
        } else if (ch == '{') {
            ParseArrayConstant();
        } else if (ch == '\'') {
            std::string sheet = ReadQuotedSheet();
            ParseSheetReference(sheet);
        } else if (TryWholeRange("")) {
            return;
        } else if (std::isdigit(static_cast<unsigned char>(ch)) || ch == '.') {
            ParseNumberLiteral();
        } else if (IsNameChar(ch)) {
            ParseWord();
        } else {
            Fail("意外的字符");
        }
    }

    std::string_view NumberAt() {
        size_t start = pos_;
        auto digits = [&] {
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
                ++pos_;
            }
        };
        digits();
        if (Peek() == '.') {
            ++pos_;
            digits();
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++pos_;
            if (Peek() == '+' || Peek() == '-') {
                ++pos_;
            }
            digits();
        }
        return text_.substr(start, pos_ - start);
    }

    double ReadNumber(std::string_view written) const {
        std::optional<double> number = ParsePlainNumber(written);
        if (!number) {
            Fail("数字格式不对");
        }
        return *number;
    }

    void ParseNumberLiteral() {
        Token token;
        token.kind = TokenKind::Number;
        token.text = std::string(NumberAt());
        token.number = ReadNumber(token.text);
        out_.push_back(std::move(token));
    }

    std::string ReadString() {
        ++pos_;
        std::string text;
        while (true) {
            if (AtEnd()) {
                Fail("字符串没有结束");
            }
            char ch = text_[pos_++];
            if (ch == '"') {
                if (Peek() == '"') {
                    ++pos_;
                } else {
                    break;
                }
            }
            text += ch;
        }
        return text;
    }

    void ParseStringLiteral() {
        Token token;
        token.kind = TokenKind::String;
        token.text = ReadString();
        out_.push_back(std::move(token));
    }

    ErrorCode ParseErrorLiteral() {
        for (ErrorCode code : {ErrorCode::Div0, ErrorCode::Value, ErrorCode::Ref, ErrorCode::Name, ErrorCode::Num,
                               ErrorCode::NA, ErrorCode::Null, ErrorCode::Circular}) {
            std::string_view errorText = ErrorText(code);
            if (text_.substr(pos_, errorText.size()) == errorText) {
                pos_ += errorText.size();
                return code;
            }
        }
        Fail("不认识的错误值");
    }

    void PushError(ErrorCode code) {
        Token token;
        token.kind = TokenKind::Error;
        token.error = code;
        out_.push_back(std::move(token));
    }

    // One element of an array constant: a number (maybe signed), a string, a logical or an error.
    Value ArrayElement() {
        SkipBlanks();
        char ch = Peek();
        if (ch == '"') {
            return Value::String(ReadString());
        }
        if (ch == '#') {
            return Value::Error(ParseErrorLiteral());
        }
        bool negative = ch == '-';
        if (ch == '-' || ch == '+') {
            ++pos_;
        }
        if (std::isdigit(static_cast<unsigned char>(Peek())) || Peek() == '.') {
            double n = ReadNumber(NumberAt());
            return Value::Number(negative ? -n : n);
        }
        std::string word = Upper(ReadWord());
        if (!negative && (word == "TRUE" || word == "FALSE")) {
            return Value::Bool(word == "TRUE");
        }
        Fail("数组常量中只能有数字、文字、逻辑值和错误值");
    }

    void ParseArrayConstant() {
        ++pos_;
        Matrix matrix;
        int column = 0;
        while (true) {
            matrix.cells.push_back(ArrayElement());
            ++column;
            if (Accept(',')) {
                continue;
            }
            if (matrix.rows == 0) {
                matrix.columns = column;
            } else if (column != matrix.columns) {
                Fail("数组常量各行长短不一");
            }
            ++matrix.rows;
            column = 0;
            if (Accept(';')) {
                continue;
            }
            if (!Accept('}')) {
                Fail("缺少 \"}\"");
            }
            break;
        }
        Token token;
        token.kind = TokenKind::Array;
        token.array = std::make_shared<const Matrix>(std::move(matrix));
        out_.push_back(std::move(token));
    }

    std::string_view ReadWord() {
        size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    std::string ReadQuotedSheet() {
        ++pos_;
        std::string name;
        while (true) {
            if (AtEnd()) {
                Fail("工作表名没有结束");
            }
            char ch = text_[pos_++];
            if (ch == '\'') {
                if (Peek() != '\'') {
                    break;
                }
                ++pos_;
            }
            name += ch;
        }
        if (Peek() != '!') {
            Fail("工作表名后缺少 \"!\"");
        }
        return name;
    }

    // After "Sheet!": a cell, a range, or whole columns or rows.
    void ParseSheetReference(const std::string& sheet) {
        ++pos_;  // the "!"
        if (TryWholeRange(sheet)) {
            return;
        }
        std::optional<WrittenRef> ref = ReadWrittenRef(ReadWord());
        if (!ref) {
            Fail("工作表名后应是单元格引用");
        }
        ParseReference(*ref, sheet);
    }

    void ParseWord() {
        size_t start = pos_;
        std::string_view word = ReadWord();
        if (Peek() == '!') {
            ParseSheetReference(std::string(word));
            return;
        }
        SkipBlanks();
        if (Peek() == '(') {
            ++pos_;
            ParseFunctionCall(word);
            return;
        }
        if (std::optional<WrittenRef> ref = ReadWrittenRef(word)) {
            ParseReference(*ref, "");
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
            pos_ = start;
            Fail("引用格式不对");
        }
        if (std::optional<std::string> reference = binder_.NameReference(word);
            reference && PushNamed(word, *reference)) {
            return;
        }
        Token token;
        token.kind = TokenKind::Name;
        token.text = std::string(word);
        out_.push_back(std::move(token));
    }

    // A defined name that stands for one reference becomes that reference, still written as the name.
    bool PushNamed(std::string_view name, const std::string& reference) {
        Formula named;
        try {
            named = Parser(reference, binder_, {}).Parse();
        } catch (const FormulaError&) {
            return false;
        }
        if (named.size() != 1 || (named[0].kind != TokenKind::Ref && named[0].kind != TokenKind::Range)) {
            return false;
        }
        named[0].text = std::string(name);
        out_.push_back(std::move(named[0]));
        return true;
    }

    // "A:C", "$B:$B", "1:3" at the current position; false (position unchanged) when none is there.
    bool TryWholeRange(const std::string& sheet) {
        size_t start = pos_;
        auto readPart = [this] {
            size_t from = pos_;
            while (pos_ < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '$')) {
                ++pos_;
            }
            return text_.substr(from, pos_ - from);
        };
        std::string_view left = readPart();
        if (left.empty() || Peek() != ':') {
            pos_ = start;
            return false;
        }
        ++pos_;
        std::string_view right = readPart();
        bool columns = std::isalpha(static_cast<unsigned char>(left.back()));
        std::optional<WrittenLine> a = ReadWrittenLine(left, columns);
        std::optional<WrittenLine> b = ReadWrittenLine(right, columns);
        if (!a || !b || IsNameChar(Peek()) || Peek() == '(') {
            pos_ = start;
            return false;
        }
        PushWholeRange(sheet, columns, *a, *b);
        return true;
    }

    void PushWholeRange(const std::string& sheet, bool columns, WrittenLine a, WrittenLine b) {
        int shiftBy = columns ? shift_.columns : shift_.rows;
        int limit = columns ? kMaxColumns : kMaxRows;
        int from = a.number + (a.absolute ? 0 : shiftBy);
        int to = b.number + (b.absolute ? 0 : shiftBy);
        if (from < 1 || to < 1 || from > limit || to > limit) {
            PushError(ErrorCode::Ref);
            return;
        }
        if (from > to) {
            std::swap(from, to);
            std::swap(a.absolute, b.absolute);
        }
        Token token;
        token.kind = TokenKind::Range;
        token.shape = columns ? RangeShape::Columns : RangeShape::Rows;
        token.sheet = sheet;
        if (columns) {
            auto [top, bottom] = binder_.ColumnEnds(sheet);
            token.first = {top, from, false, a.absolute};
            token.last = {bottom, to, false, b.absolute};
        } else {
            token.first = {binder_.RowOf(sheet, from), 1, a.absolute, false};
            token.last = {binder_.RowOf(sheet, to), kMaxColumns, b.absolute, false};
        }
        if (!token.first.row || !token.last.row) {
            PushError(ErrorCode::Ref);
            return;
        }
        out_.push_back(std::move(token));
    }

    void ParseReference(const WrittenRef& first, const std::string& sheet) {
        size_t afterFirst = pos_;
        std::optional<WrittenRef> last;
        if (Accept(':')) {
            SkipBlanks();
            last = ReadWrittenRef(ReadWord());
            if (!last) {
                Fail("区域格式不对");
            }
        } else {
            pos_ = afterFirst;
        }
        std::optional<CellRef> a = Bind(first, sheet);
        std::optional<CellRef> b = last ? Bind(*last, sheet) : a;
        if (!a || !b) {
            PushError(ErrorCode::Ref);
            return;
        }
        Token token;
        token.kind = last ? TokenKind::Range : TokenKind::Ref;
        token.sheet = sheet;
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

    std::optional<CellRef> Bind(const WrittenRef& written, const std::string& sheet) const {
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

    void ParseFunctionCall(std::string_view name) {
        Nesting level(*this);
        if (name.find('$') != std::string_view::npos) {
            Fail("函数名不对");
        }
        uint32_t argc = 0;
        if (!Accept(')')) {
            do {
                SkipBlanks();
                if (Peek() == ',' || Peek() == ')') {
                    Push(TokenKind::Missing);
                } else {
                    ParseComparison();
                }
                ++argc;
            } while (Accept(','));
            if (!Accept(')')) {
                Fail("缺少 \")\"");
            }
        }
        Token token;
        token.kind = TokenKind::Function;
        token.text = Upper(name);
        // Excel writes newer functions with a prefix ("_xlfn.IFS"); they are the same functions.
        for (std::string_view prefix : {"_XLFN._XLWS.", "_XLFN.", "COM.MICROSOFT."}) {
            if (token.text.starts_with(prefix)) {
                token.text.erase(0, prefix.size());
                break;
            }
        }
        std::string_view bare = token.text;
        if (const FunctionDef* def = FindFunction(bare)) {
            if (static_cast<int>(argc) < def->minArgs || static_cast<int>(argc) > def->maxArgs) {
                Fail(token.text + " 的参数个数不对");
            }
            token.function = def;
        }
        token.argumentCount = argc;
        out_.push_back(std::move(token));
    }

    std::string_view text_;
    ReferenceBinder& binder_;
    ReferenceShift shift_;
    size_t pos_ = 0;
    int depth_ = 0;
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
        case TokenKind::Number: return token.text;
        case TokenKind::String: return QuoteString(token.text);
        case TokenKind::Bool: return token.boolean ? "TRUE" : "FALSE";
        case TokenKind::Error: return std::string(ErrorText(token.error));
        case TokenKind::Missing: return "";
        case TokenKind::Ref:
            return token.text.empty() ? SheetPrefix(token.sheet) + PrintReference(token.first) : token.text;
        case TokenKind::Range: return token.text.empty() ? SheetPrefix(token.sheet) + PrintRange(token) : token.text;
        case TokenKind::Array: return PrintArray(*token.array);
        default: return token.text;
    }
}

// Binds every reference to a row object of its own, for formula text that belongs to no workbook.
class StandAloneBinder : public ReferenceBinder {
public:
    RowAnchor* RowOf(std::string_view, int row) override {
        rows_.push_back(RowAnchor{row, 0});
        return &rows_.back();
    }
    std::pair<RowAnchor*, RowAnchor*> ColumnEnds(std::string_view) override { return {&top_, &bottom_}; }

private:
    std::deque<RowAnchor> rows_;  // a deque keeps their addresses
    RowAnchor top_{1, 0};
    RowAnchor bottom_{kMaxRows, 0};
};

std::string PopBack(std::vector<std::string>& stack) {
    std::string top = std::move(stack.back());
    stack.pop_back();
    return top;
}

}  // namespace

Formula ParseFormula(std::string_view text, ReferenceBinder& binder, ReferenceShift shift) {
    return Parser(text, binder, shift).Parse();
}

std::string ShiftFormulaText(std::string_view text, ReferenceShift shift) {
    StandAloneBinder binder;
    return PrintFormula(ParseFormula(text, binder, shift));
}

std::vector<std::string> UnknownFunctions(const Formula& formula) {
    std::vector<std::string> names;
    for (const Token& token : formula) {
        if (token.kind == TokenKind::Function && !token.function &&
            std::find(names.begin(), names.end(), token.text) == names.end()) {
            names.push_back(token.text);
        }
    }
    return names;
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
