#pragma once
// UTF-8 text by characters. Lenient readers take a malformed byte as one character standing for
// itself, so that counting and cutting never fail on bad input; the strict check says whether a
// sequence is well formed.
#include <cstddef>
#include <string>
#include <string_view>

namespace keltrov::utf8 {

// Decodes the character at pos and moves pos past it; a malformed byte gives its own value.
char32_t Next(std::string_view text, size_t& pos);
void Append(std::string& out, char32_t codePoint);
// The number of characters.
size_t Length(std::string_view text);
// The byte offset of the character at index (0-based), or the text's size past its end.
size_t ByteOffset(std::string_view text, size_t index);
// `count` characters from the character at `first`.
std::string_view Substring(std::string_view text, size_t first, size_t count);
// The length of the well-formed sequence that starts the text (no overlong forms, surrogates or
// code points past U+10FFFF), or 0.
size_t ValidSequenceLength(std::string_view text);

}  // namespace keltrov::utf8
