#include "platform/util/text_encoding.hpp"

#include <iconv.h>

#include <optional>

#include "platform/util/utf8.hpp"

namespace keltrov {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or code points past U+10FFFF.
bool IsUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const size_t length = utf8::ValidSequenceLength(bytes);
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
        const size_t length = utf8::ValidSequenceLength(bytes);
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
