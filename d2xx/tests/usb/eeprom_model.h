// The configuration EEPROM behind a virtual chip: a 93C46, 93C56 or 93C66 on the
// chip's serial EEPROM pins, or the FT232R's or X series' internal memory.
//
// The chip sends eight address bits; a part that has fewer ignores the top ones,
// so addresses wrap at the part's size (word 64 of a 93C46 is word 0). Erasing
// sets every word to 0xFFFF, except on the FT232R and X series, whose internal memory the
// erase request does not touch. A board without an EEPROM (0 words) reads 0xFFFF
// everywhere and keeps nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace kestrom::virtualchip {

class EepromModel {
public:
    // `image` is copied, cut or filled with 0xFFFF to `words` words.
    EepromModel(size_t words, std::vector<uint16_t> image, bool erasable);

    size_t words() const { return words_.size(); }
    uint16_t read(uint16_t address) const { return words_.empty() ? 0xFFFF : words_[address % words_.size()]; }
    void write(uint16_t address, uint16_t value) {
        if (!words_.empty()) words_[address % words_.size()] = value;
    }
    void erase();

    const std::vector<uint16_t> &contents() const { return words_; }
    // Raw little-endian words, as the image files hold them. False when it cannot be written.
    bool save(const std::filesystem::path &file) const;

private:
    std::vector<uint16_t> words_;
    bool erasable_;
};

// Reads an image file (raw little-endian words); an absent file reads as blank.
std::vector<uint16_t> loadImage(const std::filesystem::path &file);

}  // namespace kestrom::virtualchip
