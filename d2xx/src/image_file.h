// EEPROM image files: raw 16-bit little-endian words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace kestrom::d2xx {

enum class ImageFileState { Loaded, Missing, Unreadable };

// Fills `image` with `words` words: those the file holds (an odd last byte and
// anything past `words` ignored), then 0xFFFF. A missing file gives a blank image.
ImageFileState loadImageFile(const std::filesystem::path &file, size_t words, std::vector<uint16_t> &image);

// Writes "<file>.tmp" and renames it over `file`, so a reader sees either the old
// image or the new one, never a mix. False when either step fails; `file` is then
// as it was.
bool saveImageFile(const std::filesystem::path &file, std::span<const uint16_t> image);

}  // namespace kestrom::d2xx
