// UTF-8 <-> UTF-16 for the EEPROM's string descriptors.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrom::d2xx {

// nullopt when `utf8` is not well-formed UTF-8.
std::optional<std::u16string> utf8ToUtf16(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

// Copies `text` into `buffer` of `capacity` bytes, cut at a character boundary so
// that it stays valid UTF-8, always NUL-terminated. Nothing is written when
// capacity is 0.
void copyTextCut(std::string_view text, char *buffer, size_t capacity);

}  // namespace kestrom::d2xx
