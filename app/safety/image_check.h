// The checks a raw image passes before it goes onto a chip, shared by the window's
// Program EEPROM Image and `kestrom restore`: a layout Kestrom knows, the part's
// size, a matching checksum, and the chip's own layout.
#pragma once

#include <QString>
#include <cstdint>
#include <span>

namespace kestrom::safety {

enum class ImageProblem { None, UnknownLayout, Size, Checksum, Layout };

struct ImageCheck {
    ImageProblem problem = ImageProblem::None;
    QString reason;  // why the image may not go onto the chip; empty when it may
};

// May `image` go onto a chip of `chipType` whose EEPROM has `partWords` words?
// A blank image may: it erases.
ImageCheck checkImage(std::span<const uint16_t> image, uint32_t chipType, size_t partWords);

}  // namespace kestrom::safety
