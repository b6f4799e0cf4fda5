#include "platform/util/utf8.hpp"

namespace keltrov::utf8 {
namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

char32_t Next(std::string_view text, size_t& pos) {
    auto lead = static_cast<unsigned char>(text[pos++]);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t codePoint = extra == 0 ? lead : lead & (0x3F >> extra);
    size_t start = pos;
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size() || !IsContinuation(static_cast<unsigned char>(text[pos]))) {
            pos = start;
            return lead;
        }
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    return codePoint;
}

void Append(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

size_t Length(std::string_view text) {
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); ++count) {
        Next(text, pos);
    }
    return count;
}

size_t ByteOffset(std::string_view text, size_t index) {
    size_t pos = 0;
    for (size_t seen = 0; pos < text.size() && seen < index; ++seen) {
        Next(text, pos);
    }
    return pos;
}

std::string_view Substring(std::string_view text, size_t first, size_t count) {
    size_t begin = ByteOffset(text, first);
    size_t end = begin + ByteOffset(text.substr(begin), count);
    return text.substr(begin, end - begin);
}

size_t ValidSequenceLength(std::string_view text) {
    if (text.empty()) return 0;
    auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return 1;
    size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (length == 0 || text.size() < length) return 0;
    size_t pos = 0;
    char32_t codePoint = Next(text, pos);
    bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return pos != length || codePoint < kMinimum[length] || codePoint > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace keltrov::utf8
