// Formula text to tokens in reverse Polish order: the lexer's words read by precedence, from
// comparisons down to references, whose ":" " " and "," bind tightest of all.
#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/sheet/errors.hpp"
#include "platform/sheet/formula.hpp"
#include "platform/sheet/formula_binder.hpp"
#include "platform/sheet/formula_lexer.hpp"
#include "platform/sheet/functions.hpp"

namespace keltrov::sheet {
namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& ch : upper) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return upper;
}

class Parser {
public:
    Parser(std::string_view text, ReferenceBinder& binder, ReferenceShift shift)
        : lexemes_(LexFormula(text)), binder_(binder), references_(binder, shift) {}

    Formula Parse() {
        if (Peek().kind == LexemeKind::Operator && Peek().text == "=") {
            ++pos_;
        }
        if (Peek().kind == LexemeKind::End) {
            Fail("公式是空的");
        }
        Comparison();
        if (Peek().kind != LexemeKind::End) {
            Fail("意外的字符");
        }
        return std::move(out_);
    }

private:
    using Level = void (Parser::*)();

    [[noreturn]] void Fail(const std::string& why) const {
        throw FormulaError("公式无法解析: " + why + " (第 " + std::to_string(Peek().position + 1) + " 个字节)");
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

    const Lexeme& Peek(size_t ahead = 0) const { return lexemes_[std::min(pos_ + ahead, lexemes_.size() - 1)]; }
    bool Is(LexemeKind kind, size_t ahead = 0) const { return Peek(ahead).kind == kind; }

    bool Accept(LexemeKind kind) {
        if (!Is(kind)) {
            return false;
        }
        ++pos_;
        return true;
    }

    void Expect(LexemeKind kind, const char* missing) {
        if (!Accept(kind)) {
            Fail(missing);
        }
    }

    std::optional<Operator> AcceptOperator(std::initializer_list<Operator> allowed) {
        std::optional<Operator> op = Is(LexemeKind::Operator) ? OperatorOf(Peek().text) : std::nullopt;
        if (!op || std::find(allowed.begin(), allowed.end(), *op) == allowed.end()) {
            return std::nullopt;
        }
        ++pos_;
        return op;
    }

    void Push(Token token) { out_.push_back(std::move(token)); }

    // An operator token; inside an argument that takes arrays its ranges are read whole.
    void PushOperator(TokenKind kind, Operator op = Operator::Add) {
        Token token;
        token.kind = kind;
        token.op = op;
        token.arrayContext = arrayArguments_ > 0;
        Push(std::move(token));
    }

    void BinaryLevel(std::initializer_list<Operator> ops, Level next) {
        (this->*next)();
        while (auto op = AcceptOperator(ops)) {
            (this->*next)();
            PushOperator(TokenKind::Binary, *op);
        }
    }

    void Comparison() {
        BinaryLevel({Operator::Eq, Operator::Ne, Operator::Lt, Operator::Le, Operator::Gt, Operator::Ge},
                    &Parser::Concat);
    }
    void Concat() { BinaryLevel({Operator::Concat}, &Parser::Additive); }
    void Additive() { BinaryLevel({Operator::Add, Operator::Sub}, &Parser::Multiplicative); }
    void Multiplicative() { BinaryLevel({Operator::Mul, Operator::Div}, &Parser::Power); }
    void Power() { BinaryLevel({Operator::Pow}, &Parser::Percent); }

    void Percent() {
        Unary();
        while (Accept(LexemeKind::Percent)) {
            PushOperator(TokenKind::Percent);
        }
    }

    // Sign binds tighter than "^", as in Excel and LibreOffice: -2^2 is 4. Signs are counted in a
    // loop, so a long run of them costs no stack.
    void Unary() {
        std::vector<TokenKind> signs;
        while (auto sign = AcceptOperator({Operator::Sub, Operator::Add})) {
            signs.push_back(*sign == Operator::Sub ? TokenKind::Negate : TokenKind::Plus);
        }
        Intersection();
        for (auto it = signs.rbegin(); it != signs.rend(); ++it) {
            PushOperator(*it);
        }
    }

    // "A1:C3 B2:D4": the cells both references hold.
    void Intersection() {
        Extent();
        while (Accept(LexemeKind::Space)) {
            Extent();
            PushOperator(TokenKind::Intersect);
        }
    }

    // "INDEX(A1:A5,2):A4": a block between references computed as the formula runs; a block
    // written as two cells is read whole by CellReference.
    void Extent() {
        size_t start = out_.size();
        Primary();
        while (Is(LexemeKind::Colon)) {
            ExpectReferenceOperand(out_.back());
            ++pos_;
            Primary();
            ExpectReferenceOperand(out_.back());
            PushOperator(TokenKind::Extent);
            SpanNamedReferences(start, out_.back());
        }
    }

    // Only what may be a reference spans a block: "A1:SUM(B1)" is no formula.
    void ExpectReferenceOperand(const Token& operand) const {
        switch (operand.kind) {
            case TokenKind::Ref:
            case TokenKind::Range:
            case TokenKind::Extent:
            case TokenKind::Intersect:
            case TokenKind::Union:
            case TokenKind::Paren: return;
            case TokenKind::Function:
                if (!operand.function || operand.function->reference) return;
                [[fallthrough]];
            default: Fail("区域格式不对");
        }
    }

    // The block of the references among out_[start..] on the sheet of the first of them.
    void SpanNamedReferences(size_t start, Token& extent) {
        const RowAnchor* sheetOf = nullptr;
        for (size_t i = start; i + 1 < out_.size(); ++i) {
            const Token& t = out_[i];
            if (t.kind != TokenKind::Ref && t.kind != TokenKind::Range && t.kind != TokenKind::Extent) continue;
            if (!t.first.row) continue;
            const CellRef& last = t.kind == TokenKind::Ref ? t.first : t.last;
            if (!sheetOf) {
                sheetOf = t.first.row;
                extent.first = t.first;
                extent.last = last;
            } else if (t.first.row->sheet == sheetOf->sheet) {
                if (t.first.row->index < extent.first.row->index) extent.first.row = t.first.row;
                if (last.row->index > extent.last.row->index) extent.last.row = last.row;
                extent.first.column = std::min(extent.first.column, t.first.column);
                extent.last.column = std::max(extent.last.column, last.column);
            }
        }
    }

    void Primary() {
        const Lexeme& lexeme = Peek();
        switch (lexeme.kind) {
            case LexemeKind::Open: Parenthesised(); return;
            case LexemeKind::String: Literal(TokenKind::String); return;
            case LexemeKind::Error:
                Push(ErrorToken(lexeme.error));
                ++pos_;
                return;
            case LexemeKind::OpenBrace: ArrayConstant(); return;
            case LexemeKind::QuotedSheet: {
                std::string sheet = lexeme.text;
                ++pos_;
                if (!Is(LexemeKind::Bang)) Fail("工作表名后缺少 \"!\"");
                SheetReference(sheet);
                return;
            }
            case LexemeKind::Number:
                if (!TryLines("")) NumberLiteral();
                return;
            case LexemeKind::Word: Word(); return;
            case LexemeKind::End: Fail("缺少运算对象");
            default: Fail("意外的字符");
        }
    }

    void Literal(TokenKind kind) {
        Token token;
        token.kind = kind;
        token.Words().text = Peek().text;
        ++pos_;
        Push(std::move(token));
    }

    double ReadNumber(const std::string& written) const {
        std::optional<double> number = ParsePlainNumber(written);
        if (!number) {
            Fail("数字格式不对");
        }
        return *number;
    }

    void NumberLiteral() {
        Token token;
        token.kind = TokenKind::Number;
        token.Words().text = Peek().text;
        token.number = ReadNumber(token.Text());
        ++pos_;
        Push(std::move(token));
    }

    // "(...)" groups; "(A1,B2:C3)" lists references, their union.
    void Parenthesised() {
        Nesting level(*this);
        ++pos_;
        Comparison();
        while (Accept(LexemeKind::Comma)) {
            Comparison();
            PushOperator(TokenKind::Union);
        }
        Expect(LexemeKind::Close, "缺少 \")\"");
        PushOperator(TokenKind::Paren);
    }

    // One element of an array constant: a number (maybe signed), a string, a logical or an error.
    Value ArrayElement() {
        if (Is(LexemeKind::String)) {
            return Value::String(lexemes_[pos_++].text);
        }
        if (Is(LexemeKind::Error)) {
            return Value::Error(lexemes_[pos_++].error);
        }
        std::optional<Operator> sign = AcceptOperator({Operator::Sub, Operator::Add});
        if (Is(LexemeKind::Number)) {
            double n = ReadNumber(lexemes_[pos_++].text);
            return Value::Number(sign == Operator::Sub ? -n : n);
        }
        std::string word = Is(LexemeKind::Word) ? Upper(Peek().text) : "";
        if (!sign && (word == "TRUE" || word == "FALSE")) {
            ++pos_;
            return Value::Bool(word == "TRUE");
        }
        Fail("数组常量中只能有数字、文字、逻辑值和错误值");
    }

    void ArrayConstant() {
        ++pos_;
        Matrix matrix;
        int column = 0;
        while (true) {
            matrix.cells.push_back(ArrayElement());
            ++column;
            if (Accept(LexemeKind::Comma)) {
                continue;
            }
            if (matrix.rows == 0) {
                matrix.columns = column;
            } else if (column != matrix.columns) {
                Fail("数组常量各行长短不一");
            }
            ++matrix.rows;
            column = 0;
            if (Accept(LexemeKind::Semicolon)) {
                continue;
            }
            Expect(LexemeKind::CloseBrace, "缺少 \"}\"");
            break;
        }
        Token token;
        token.kind = TokenKind::Array;
        token.Words().array = std::make_shared<const Matrix>(std::move(matrix));
        Push(std::move(token));
    }

    void Word() {
        std::string word = Peek().text;
        if (Is(LexemeKind::Bang, 1)) {
            ++pos_;
            SheetReference(word);
            return;
        }
        std::optional<WrittenRef> ref = ReadWrittenRef(word);
        bool call = Is(LexemeKind::Open, 1) || (!ref && Is(LexemeKind::Space, 1) && Is(LexemeKind::Open, 2));
        if (call) {
            pos_ += Is(LexemeKind::Open, 1) ? 2 : 3;
            FunctionCall(word);
        } else if (!TryLines("")) {
            NameOrReference(word, ref);
        }
    }

    void NameOrReference(const std::string& word, const std::optional<WrittenRef>& ref) {
        ++pos_;
        if (ref) {
            CellReference(*ref, "");
            return;
        }
        std::string upper = Upper(word);
        if (upper == "TRUE" || upper == "FALSE") {
            Token token;
            token.kind = TokenKind::Bool;
            token.boolean = upper == "TRUE";
            Push(std::move(token));
            return;
        }
        if (word.find('$') != std::string::npos || std::isdigit(static_cast<unsigned char>(word[0]))) {
            --pos_;
            Fail("引用格式不对");
        }
        if (std::optional<std::string> reference = binder_.NameReference(word);
            reference && PushNamed(word, *reference)) {
            return;
        }
        Token token;
        token.kind = TokenKind::Name;
        token.Words().text = word;
        Push(std::move(token));
    }

    // A defined name that stands for one reference becomes that reference, still written as the name.
    bool PushNamed(const std::string& name, const std::string& reference) {
        Formula named;
        try {
            named = Parser(reference, binder_, {}).Parse();
        } catch (const FormulaError&) {
            return false;
        }
        if (named.size() != 1 || (named[0].kind != TokenKind::Ref && named[0].kind != TokenKind::Range)) {
            return false;
        }
        named[0].Words().text = name;
        Push(std::move(named[0]));
        return true;
    }

    // After "Sheet!": a cell, a range, or whole columns or rows.
    void SheetReference(const std::string& sheet) {
        ++pos_;  // the "!"
        if (TryLines(sheet)) {
            return;
        }
        std::optional<WrittenRef> ref = Is(LexemeKind::Word) ? ReadWrittenRef(Peek().text) : std::nullopt;
        if (!ref) {
            Fail("工作表名后应是单元格引用");
        }
        ++pos_;
        CellReference(*ref, sheet);
    }

    // A cell, or a block when ":" and a second cell follow.
    void CellReference(const WrittenRef& first, const std::string& sheet) {
        std::optional<WrittenRef> last;
        // "A1:INDEX(...)" leaves the colon to Extent: the second corner is computed.
        bool computedCorner =
            Is(LexemeKind::Colon) && (!Is(LexemeKind::Word, 1) || Is(LexemeKind::Open, 2) || Is(LexemeKind::Bang, 2) ||
                                      (Is(LexemeKind::Space, 2) && Is(LexemeKind::Open, 3)));
        if (!computedCorner && Accept(LexemeKind::Colon)) {
            last = Is(LexemeKind::Word) ? ReadWrittenRef(Peek().text) : std::nullopt;
            if (!last) {
                Fail("区域格式不对");
            }
            ++pos_;
        }
        Push(references_.Cells(sheet, first, last));
    }

    // "A:C", "$B:$B", "1:3" here; false (nothing read) when none is.
    bool TryLines(const std::string& sheet) {
        bool ends = (Is(LexemeKind::Word) || Is(LexemeKind::Number)) && Is(LexemeKind::Colon, 1) &&
                    (Is(LexemeKind::Word, 2) || Is(LexemeKind::Number, 2)) && !Is(LexemeKind::Open, 3) &&
                    !Is(LexemeKind::Bang, 3);
        if (!ends) {
            return false;
        }
        const std::string& left = Peek().text;
        bool columns = std::isalpha(static_cast<unsigned char>(left.back())) != 0;
        std::optional<WrittenLine> a = ReadWrittenLine(left, columns);
        std::optional<WrittenLine> b = ReadWrittenLine(Peek(2).text, columns);
        if (!a || !b) {
            return false;
        }
        pos_ += 3;
        Push(references_.Lines(sheet, columns, *a, *b));
        return true;
    }

    // Arguments up to ")", an empty one standing for a missing value.
    void FunctionCall(const std::string& name) {
        Nesting level(*this);
        if (name.find('$') != std::string::npos) {
            Fail("函数名不对");
        }
        std::string bare = Upper(name);
        // Excel writes newer functions with a prefix ("_xlfn.IFS"); they are the same functions.
        for (std::string_view prefix : {"_XLFN._XLWS.", "_XLFN.", "COM.MICROSOFT."}) {
            if (bare.starts_with(prefix)) {
                bare.erase(0, prefix.size());
                break;
            }
        }
        Token token;
        token.kind = TokenKind::Function;
        token.function = FindFunction(bare);
        if (!token.function) token.Words().text = bare;  // a known function is written by its own name
        bool arrays = token.function && token.function->takesArrays;
        arrayArguments_ += arrays ? 1 : 0;
        token.argumentCount = Arguments();
        arrayArguments_ -= arrays ? 1 : 0;
        if (token.function && (static_cast<int>(token.argumentCount) < token.function->minArgs ||
                               static_cast<int>(token.argumentCount) > token.function->maxArgs)) {
            Fail(bare + " 的参数个数不对");
        }
        Push(std::move(token));
    }

    uint32_t Arguments() {
        uint32_t count = 0;
        if (Accept(LexemeKind::Close)) {
            return count;
        }
        do {
            if (Is(LexemeKind::Comma) || Is(LexemeKind::Close)) {
                Token missing;
                missing.kind = TokenKind::Missing;
                Push(std::move(missing));
            } else {
                Comparison();
            }
            ++count;
        } while (Accept(LexemeKind::Comma));
        Expect(LexemeKind::Close, "缺少 \")\"");
        return count;
    }

    std::vector<Lexeme> lexemes_;
    size_t pos_ = 0;
    ReferenceBinder& binder_;
    ReferenceBuilder references_;
    int depth_ = 0;
    int arrayArguments_ = 0;
    Formula out_;
};

}  // namespace

Formula ParseFormula(std::string_view text, ReferenceBinder& binder, ReferenceShift shift) {
    if (text.size() > kMaxFormulaBytes) {
        throw FormulaError("公式无法解析: 公式太长");
    }
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
            std::find(names.begin(), names.end(), token.Text()) == names.end()) {
            names.push_back(token.Text());
        }
    }
    return names;
}

}  // namespace keltrov::sheet
