#pragma once
// Texts the database holds in another encoding than UTF-8, read so that they can be shown.
#include <string>
#include <string_view>

namespace keltrov {

// The bytes as UTF-8 text: UTF-8 unchanged, otherwise read as GBK (the code page of the older
// installations) when they are GBK, otherwise UTF-8 with U+FFFD for every byte that belongs to no character.
std::string TextAsUtf8(std::string_view bytes);

}  // namespace keltrov
