#include "eeprom_model.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace kestrom::virtualchip {

EepromModel::EepromModel(size_t words, std::vector<uint16_t> image, bool erasable)
    : words_(std::move(image)), erasable_(erasable) {
    words_.resize(words, 0xFFFF);
}

void EepromModel::erase() {
    if (erasable_) std::fill(words_.begin(), words_.end(), uint16_t{0xFFFF});
}

bool EepromModel::save(const std::filesystem::path &file) const {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const uint16_t word : words_) {
        const char bytes[2] = {static_cast<char>(word & 0xFF), static_cast<char>(word >> 8)};
        out.write(bytes, 2);
    }
    return static_cast<bool>(out);
}

std::vector<uint16_t> loadImage(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<uint16_t> words;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) words.push_back(static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8));
    return words;
}

}  // namespace kestrom::virtualchip
