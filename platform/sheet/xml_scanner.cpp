#include "platform/sheet/xml_scanner.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace keltrov::sheet {
namespace {

constexpr size_t kReadChunk = size_t{1} << 16;
constexpr size_t kFirstBuffer = size_t{1} << 18;
constexpr size_t kNotFound = static_cast<size_t>(-1);
// Beyond this many attributes a tag's names are sorted to find a repeated one, not compared in pairs.
constexpr size_t kPairwiseAttributes = 8;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Names are checked for their ASCII characters; any character beyond ASCII is taken, as the
// UTF-8 check has already made sure it is one.
constexpr uint8_t kStartsName = 1;
constexpr uint8_t kInName = 2;

constexpr std::array<uint8_t, 256> kNameClasses = [] {
    std::array<uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
        bool inside = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
        classes[c] = static_cast<uint8_t>((start ? kStartsName : 0) | (inside ? kInName : 0));
    }
    return classes;
}();

bool IsNameStart(char c) {
    return (kNameClasses[static_cast<unsigned char>(c)] & kStartsName) != 0;
}

bool IsNameChar(char c) {
    return (kNameClasses[static_cast<unsigned char>(c)] & kInName) != 0;
}

bool IsXmlChar(uint32_t code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

std::string_view LocalName(std::string_view name) {
    size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() &&
           std::equal(text.begin(), text.end(), lower.begin(), [](char a, char b) { return (a | 0x20) == b; });
}

// The bytes a character takes in UTF-8 after its lead byte, with the range its second byte must
// lie in (which rules out overlong forms, surrogates and code points past U+10FFFF); 0 for a byte
// that cannot lead.
struct Utf8Lead {
    int following;
    unsigned char low;
    unsigned char high;
};

Utf8Lead LeadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {1, 0x80, 0xBF};
    if (byte == 0xE0) return {2, 0xA0, 0xBF};
    if (byte == 0xED) return {2, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {2, 0x80, 0xBF};
    if (byte == 0xF0) return {3, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {3, 0x80, 0xBF};
    if (byte == 0xF4) return {3, 0x80, 0x8F};
    return {0, 0, 0};
}

// Eight bytes that are all printable ASCII, which is what almost all of a part is.
bool AllPlainAscii(const unsigned char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    constexpr uint64_t kHigh = 0x8080808080808080ULL;
    constexpr uint64_t kSpaces = 0x2020202020202020ULL;
    return ((word | ((word - kSpaces) & ~word)) & kHigh) == 0;
}

class Scanner {
public:
    Scanner(const XmlRead& read, XmlHandler& handler) : read_(read), handler_(handler), buffer_(kFirstBuffer) {}

    void Run() {
        SkipByteOrderMark();
        while (Has(0)) {
            if (buffer_[pos_] == '<') {
                Markup();
            } else {
                CharacterData();
            }
            atStart_ = false;
        }
        if (!open_.empty()) Fail("元素没有结束");
        if (!rootDone_) Fail("没有元素");
    }

private:
    [[noreturn]] void Fail(const std::string& why) const {
        size_t ahead = static_cast<size_t>(std::count(buffer_.data() + pos_, buffer_.data() + checked_, '\n'));
        throw XmlError("XML 格式不对: " + why + ", 第 " + std::to_string(1 + lines_ - ahead) + " 行");
    }

    [[noreturn]] void FailChecking(const std::string& why, size_t linesBefore) const {
        throw XmlError("XML 格式不对: " + why + ", 第 " + std::to_string(1 + linesBefore) + " 行");
    }

    char* At(size_t offset) { return buffer_.data() + pos_ + offset; }

    // Whether the byte `offset` past the current position is there, reading on as needed.
    bool Has(size_t offset) {
        while (pos_ + offset >= checked_) {
            if (!More()) return false;
        }
        return true;
    }

    // Reads on: the unread bytes move to the front, the buffer grows for a long token, and what is
    // read is checked to be UTF-8 of XML characters. False at the end of the part.
    bool More() {
        while (!ended_) {
            if (pos_ > 0) {
                std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
                end_ -= pos_;
                checked_ -= pos_;
                pos_ = 0;
            }
            if (end_ > kMaxXmlToken) Fail("一个标记或一段文字过长");
            if (buffer_.size() - end_ < kReadChunk) buffer_.resize(std::max(buffer_.size() * 2, end_ + kReadChunk));
            size_t got = read_(buffer_.data() + end_, buffer_.size() - end_);
            ended_ = got == 0;
            end_ += got;
            size_t before = checked_;
            checked_ += CheckCharacters(checked_, ended_);
            if (checked_ > before) return true;
        }
        return false;
    }

    // How many bytes from `from` on are whole characters: a character cut off by the read waits
    // for the next one, unless the part has ended.
    size_t CheckCharacters(size_t from, bool last) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data());
        size_t i = from;
        while (i < end_) {
            if (i + 8 <= end_ && AllPlainAscii(bytes + i)) {
                i += 8;
                continue;
            }
            unsigned char byte = bytes[i];
            if (byte < 0x80) {
                if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') FailChecking("无效字符", lines_);
                lines_ += byte == '\n';
                ++i;
                continue;
            }
            Utf8Lead lead = LeadOf(byte);
            if (lead.following == 0) FailChecking("不是 UTF-8 文字", lines_);
            if (i + lead.following >= end_) {
                if (last) FailChecking("不是 UTF-8 文字", lines_);
                break;
            }
            bool valid = bytes[i + 1] >= lead.low && bytes[i + 1] <= lead.high;
            for (int k = 2; k <= lead.following; ++k) valid = valid && (bytes[i + k] & 0xC0) == 0x80;
            // U+FFFE and U+FFFF are no characters
            valid = valid && !(byte == 0xEF && bytes[i + 1] == 0xBF && bytes[i + 2] >= 0xBE);
            if (!valid) FailChecking("不是 UTF-8 文字", lines_);
            i += 1 + static_cast<size_t>(lead.following);
        }
        return i - from;
    }

    void SkipByteOrderMark() {
        if (Has(2) && std::memcmp(At(0), "\xEF\xBB\xBF", 3) == 0) pos_ += 3;
    }

    // The offset of the first '>' from `from` on that follows `before` (two bytes, or none).
    size_t FindClose(size_t from, std::string_view before) {
        for (size_t k = from;; ++k) {
            if (!Has(k)) return kNotFound;
            const char* found = static_cast<const char*>(std::memchr(At(k), '>', checked_ - pos_ - k));
            if (!found) {
                k = checked_ - pos_ - 1;
                continue;
            }
            k = static_cast<size_t>(found - At(0));
            if (k >= from && std::string_view(At(k - before.size()), before.size()) == before) return k;
        }
    }

    void Markup() {
        if (!Has(1)) Fail("标记没有结束");
        char second = *At(1);
        if (second == '/') {
            EndTag();
        } else if (second == '?') {
            ProcessingInstruction();
        } else if (second == '!') {
            Declaration();
        } else {
            StartTag();
        }
    }

    static char* SkipSpaces(char* p, const char* end) {
        while (p < end && IsSpace(*p)) ++p;
        return p;
    }

    static char* SkipNameChars(char* p, const char* end) {
        while (p < end && IsNameChar(*p)) ++p;
        return p;
    }

    char* NameEnd(char* p, const char* end) const {
        if (p >= end || !IsNameStart(*p)) Fail("名称不对");
        return SkipNameChars(p, end);
    }

    void StartTag() {
        if (rootDone_) Fail("根元素之后还有元素");
        while (!LayOutStartTag()) {
            if (!More()) Fail("标记没有结束");
        }
        char* name = At(1);
        std::string_view qualified(name, SkipNameChars(name, At(tagLength_)) - name);
        attributes_.clear();
        for (const AttributeSpan& span : spans_) {
            *At(span.nameEnd) = '\0';
            *DecodeReferences(At(span.value), At(span.valueEnd), true) = '\0';
            attributes_.push_back(At(span.name));
            attributes_.push_back(At(span.value));
        }
        CheckUniqueAttributes();
        attributes_.push_back(nullptr);
        pos_ += tagLength_ + 1;
        handler_.Start(LocalName(qualified), attributes_.data());
        if (emptyTag_) {
            handler_.End(LocalName(qualified));
            rootDone_ = open_.empty();
        } else {
            open_.append(qualified);
            openLengths_.push_back(qualified.size());
        }
    }

    // Finds where the start tag at the position ends and where its attributes lie, touching
    // nothing, so that it can begin again once more has been read. False when the bytes read end
    // before the tag does.
    bool LayOutStartTag() {
        char* const base = At(0);
        const char* const limit = buffer_.data() + checked_;
        auto offset = [base](const char* p) { return static_cast<size_t>(p - base); };
        spans_.clear();
        char* p = SkipNameChars(NameEnd(base + 1, limit), limit);
        while (true) {
            char* spaced = SkipSpaces(p, limit);
            if (spaced >= limit || (*spaced == '/' && spaced + 1 >= limit)) return false;
            if (*spaced == '>' || (*spaced == '/' && spaced[1] == '>')) {
                emptyTag_ = *spaced == '/';
                tagLength_ = offset(spaced) + (emptyTag_ ? 1 : 0);
                return true;
            }
            if (spaced == p) Fail("属性之间缺少空格");
            char* nameEnd = SkipNameChars(NameEnd(spaced, limit), limit);
            p = SkipSpaces(nameEnd, limit);
            if (p >= limit) return false;
            if (*p != '=') Fail("属性缺少 =");
            p = SkipSpaces(p + 1, limit);
            if (p >= limit) return false;
            if (*p != '"' && *p != '\'') Fail("属性值缺少引号");
            const char* close = static_cast<const char*>(std::memchr(p + 1, *p, static_cast<size_t>(limit - p - 1)));
            if (!close) return false;
            spans_.push_back({offset(spaced), offset(nameEnd), offset(p + 1), offset(close)});
            p = base + offset(close) + 1;
        }
    }

    void CheckUniqueAttributes() const {
        size_t count = attributes_.size() / 2;
        if (count <= kPairwiseAttributes) {
            for (size_t i = 0; i < count; ++i) {
                for (size_t j = i + 1; j < count; ++j) {
                    if (std::strcmp(attributes_[2 * i], attributes_[2 * j]) == 0) Fail("属性重复");
                }
            }
            return;
        }
        std::vector<std::string_view> names;
        for (size_t i = 0; i < count; ++i) names.emplace_back(attributes_[2 * i]);
        std::sort(names.begin(), names.end());
        if (std::adjacent_find(names.begin(), names.end()) != names.end()) Fail("属性重复");
    }

    void EndTag() {
        size_t length = FindClose(2, "");
        if (length == kNotFound) Fail("标记没有结束");
        char* p = At(2);
        char* end = At(length);
        char* nameEnd = NameEnd(p, end);
        if (SkipSpaces(nameEnd, end) != end) Fail("结束标记不对");
        std::string_view name(p, static_cast<size_t>(nameEnd - p));
        if (openLengths_.empty() || std::string_view(open_).substr(open_.size() - openLengths_.back()) != name) {
            Fail("结束标记与开始标记不符");
        }
        pos_ += length + 1;
        handler_.End(LocalName(name));
        open_.resize(open_.size() - openLengths_.back());
        openLengths_.pop_back();
        rootDone_ = open_.empty();
    }

    // <?target ...?>; the XML declaration is the one named xml, and only at the very start.
    void ProcessingInstruction() {
        size_t length = FindClose(3, "?");
        if (length == kNotFound) Fail("处理指令没有结束");
        char* p = At(2);
        char* end = At(length - 1);
        char* nameEnd = NameEnd(p, end);
        std::string_view target(p, static_cast<size_t>(nameEnd - p));
        if (nameEnd != end && !IsSpace(*nameEnd)) Fail("处理指令不对");
        if (EqualsIgnoringCase(target, "xml")) {
            if (!atStart_ || target != "xml") Fail("XML 声明不在开头");
            CheckEncoding(std::string_view(nameEnd, static_cast<size_t>(end - nameEnd)));
        }
        pos_ += length + 1;
    }

    void CheckEncoding(std::string_view declaration) const {
        size_t at = declaration.find("encoding");
        if (at == std::string_view::npos) return;
        size_t open = declaration.find_first_of("\"'", at);
        size_t close = open == std::string_view::npos ? open : declaration.find(declaration[open], open + 1);
        if (close == std::string_view::npos) Fail("XML 声明不对");
        std::string_view encoding = declaration.substr(open + 1, close - open - 1);
        if (!EqualsIgnoringCase(encoding, "utf-8")) Fail("不支持的编码 " + std::string(encoding));
    }

    void Declaration() {
        if (!Has(3)) Fail("标记没有结束");
        if (std::memcmp(At(2), "--", 2) == 0) {
            Comment();
        } else if (Has(8) && std::memcmp(At(2), "[CDATA[", 7) == 0) {
            CData();
        } else if (Has(8) && std::memcmp(At(2), "DOCTYPE", 7) == 0) {
            Fail("不支持文档类型定义");
        } else {
            Fail("标记不对");
        }
    }

    void Comment() {
        size_t length = FindClose(6, "--");
        if (length == kNotFound) Fail("注释没有结束");
        std::string_view body(At(4), length - 6);
        if (body.find("--") != std::string_view::npos || body.ends_with('-')) Fail("注释中有 --");
        pos_ += length + 1;
    }

    void CData() {
        if (open_.empty()) Fail("CDATA 在根元素之外");
        size_t length = FindClose(11, "]]");
        if (length == kNotFound) Fail("CDATA 没有结束");
        char* body = At(9);
        char* end = NormalizeLineEnds(body, At(length - 2));
        pos_ += length + 1;
        if (end != body) handler_.Text(std::string_view(body, static_cast<size_t>(end - body)));
    }

    // Text up to the next markup: whitespace outside the root element, decoded text inside it.
    void CharacterData() {
        size_t length = 0;
        for (size_t from = 0;;) {
            const char* found = static_cast<const char*>(std::memchr(At(from), '<', checked_ - pos_ - from));
            length = found ? static_cast<size_t>(found - At(0)) : checked_ - pos_;
            if (found || !More()) break;
            from = length;
        }
        char* text = At(0);
        char* end = At(length);
        if (open_.empty()) {
            if (SkipSpaces(text, end) != end) Fail(rootDone_ ? "根元素之后还有文字" : "根元素之前有文字");
            pos_ += length;
            return;
        }
        char* decoded = DecodeReferences(text, end, false);
        pos_ += length;
        handler_.Text(std::string_view(text, static_cast<size_t>(decoded - text)));
    }

    // CR LF and a lone CR read as LF, as XML wants of every line end.
    static char* NormalizeLineEnds(char* from, char* to) {
        char* out = from;
        for (char* in = from; in < to; ++in) {
            if (*in == '\r') {
                *out++ = '\n';
                in += in + 1 < to && in[1] == '\n';
            } else {
                *out++ = *in;
            }
        }
        return out;
    }

    // Decodes references and line ends in place and returns the new end; an attribute value also
    // reads its tabs and line ends as spaces, text refuses "]]>".
    char* DecodeReferences(char* from, char* to, bool attribute) const {
        char* in = from;
        while (in < to && !NeedsDecoding(*in)) ++in;
        char* out = in;
        while (in < to) {
            char c = *in;
            if (c == '&') {
                in = DecodeReference(in + 1, to, out);
                continue;
            }
            if (c == '\r') {
                in += in + 1 < to && in[1] == '\n';
                c = '\n';
            }
            if (attribute && (c == '\n' || c == '\t')) c = ' ';
            if (attribute && c == '<') Fail("属性值中有 <");
            if (!attribute && c == ']' && to - in >= 3 && in[1] == ']' && in[2] == '>') Fail("文字中有 ]]>");
            *out++ = c;
            ++in;
        }
        return out;
    }

    static bool NeedsDecoding(char c) {
        static constexpr std::array<bool, 256> kSpecial = [] {
            std::array<bool, 256> special{};
            for (unsigned char c : std::string_view("&\r\n\t<]")) special[c] = true;
            return special;
        }();
        return kSpecial[static_cast<unsigned char>(c)];
    }

    // Decodes the reference whose name starts at `in` into `out`; returns where the text goes on.
    char* DecodeReference(char* in, char* to, char*& out) const {
        auto* semicolon = static_cast<char*>(std::memchr(in, ';', static_cast<size_t>(to - in)));
        if (!semicolon) Fail("& 之后缺少实体名");
        std::string_view name(in, static_cast<size_t>(semicolon - in));
        static constexpr std::pair<std::string_view, char> kEntities[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        for (auto [entity, c] : kEntities) {
            if (name == entity) {
                *out++ = c;
                return semicolon + 1;
            }
        }
        if (!name.starts_with('#')) Fail("未定义的实体 &" + std::string(name.substr(0, 32)) + ";");
        AppendUtf8(CharacterReference(name.substr(1)), out);
        return semicolon + 1;
    }

    uint32_t CharacterReference(std::string_view digits) const {
        bool hex = digits.starts_with('x');
        digits.remove_prefix(hex ? 1 : 0);
        uint32_t code = 0;
        for (char c : digits) {
            int digit = c >= '0' && c <= '9' ? c - '0' : -1;
            if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f') digit = (c | 0x20) - 'a' + 10;
            if (digit < 0) Fail("字符引用不对");
            code = std::min<uint32_t>(code * (hex ? 16 : 10) + static_cast<uint32_t>(digit), 0x110000);
        }
        if (digits.empty() || !IsXmlChar(code)) Fail("字符引用不对");
        return code;
    }

    static void AppendUtf8(uint32_t code, char*& out) {
        auto put = [&out](uint32_t byte) { *out++ = static_cast<char>(byte); };
        if (code < 0x80) {
            put(code);
        } else if (code < 0x800) {
            put(0xC0 | (code >> 6));
            put(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            put(0xE0 | (code >> 12));
            put(0x80 | ((code >> 6) & 0x3F));
            put(0x80 | (code & 0x3F));
        } else {
            put(0xF0 | (code >> 18));
            put(0x80 | ((code >> 12) & 0x3F));
            put(0x80 | ((code >> 6) & 0x3F));
            put(0x80 | (code & 0x3F));
        }
    }

    const XmlRead& read_;
    XmlHandler& handler_;
    std::vector<char> buffer_;
    size_t pos_ = 0;      // the next byte to scan
    size_t checked_ = 0;  // the end of the bytes known to be whole characters
    size_t end_ = 0;      // the end of the bytes read
    size_t lines_ = 0;    // line ends among the checked bytes and all before them
    bool ended_ = false;
    bool atStart_ = true;
    bool rootDone_ = false;
    std::string open_;  // the open elements' names, one after the other
    std::vector<size_t> openLengths_;
    std::vector<const char*> attributes_;
    // Where the start tag being read has its attributes, from the tag's '<'.
    struct AttributeSpan {
        size_t name;
        size_t nameEnd;
        size_t value;
        size_t valueEnd;
    };
    std::vector<AttributeSpan> spans_;
    size_t tagLength_ = 0;  // to the tag's '>'
    bool emptyTag_ = false;
};

}  // namespace

void ScanXml(const XmlRead& read, XmlHandler& handler) {
    Scanner(read, handler).Run();
}

}  // namespace keltrov::sheet
