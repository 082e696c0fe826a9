#include "image_check.h"

#include "chip_words.h"
#include "eeprom_codec.h"
#include "eeprom_layout.h"

namespace kestrom::safety {

ImageCheck checkImage(std::span<const uint16_t> image, uint32_t chipType, size_t partWords) {
    const QString chip = chipName(chipType);
    if (!d2xx::layoutKnown(chipType)) {
        return {ImageProblem::UnknownLayout,
                QStringLiteral("the %1 has no EEPROM layout Kestrom knows").arg(chip)};
    }
    if (image.size() != partWords) {
        return {
            ImageProblem::Size,
            QStringLiteral("the image has %1 words, the chip's EEPROM %2").arg(image.size()).arg(partWords)};
    }
    if (d2xx::isBlank(image)) return {};
    if (!d2xx::imageValid(chipType, image)) {
        return {ImageProblem::Checksum,
                QStringLiteral("its checksum does not match (or it is not for a %1)").arg(chip)};
    }
    if (image[d2xx::layout::kBcdDeviceWord] != d2xx::layout::chipLayout(chipType)->bcdDevice) {
        return {ImageProblem::Layout, QStringLiteral("its layout is not the %1's").arg(chip)};
    }
    return {};
}

}  // namespace kestrom::safety
