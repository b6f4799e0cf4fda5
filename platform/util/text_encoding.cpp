#include "platform/util/text_encoding.hpp"

#include <iconv.h>

#include <optional>

namespace keltrov {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 character at the start of the bytes; 0 when there is none.
size_t Utf8CharacterLength(std::string_view bytes) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or code points past U+10FFFF.
bool IsUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const size_t length = Utf8CharacterLength(bytes);
        if (length == 0) return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::optional<std::string> GbkToUtf8(std::string_view bytes) {
    iconv_t converter = iconv_open("UTF-8", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string input(bytes);
    std::string output(bytes.size() * 3 + 4, '\0');  // no GBK byte becomes more than three
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
    output.resize(output.size() - outLeft);
    return output;
}

std::string WithReplacementCharacters(std::string_view bytes) {
    std::string text;
    while (!bytes.empty()) {
        const size_t length = Utf8CharacterLength(bytes);
        if (length == 0) {
            text += kReplacement;
            bytes.remove_prefix(1);
        } else {
            text += bytes.substr(0, length);
            bytes.remove_prefix(length);
        }
    }
    return text;
}

}  // namespace

std::string TextAsUtf8(std::string_view bytes) {
    if (IsUtf8(bytes)) return std::string(bytes);
    if (std::optional<std::string> text = GbkToUtf8(bytes)) return *text;
    return WithReplacementCharacters(bytes);
}

}  // namespace keltrov
