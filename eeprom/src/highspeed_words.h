// The FT2232H, FT4232H, FT232H and X-series chips' own configuration bytes, between
// their D2XX structures and the EEPROM words. Shared by the decoder and the encoder.
#pragma once

#include <cstddef>
#include <span>

#include "eeprom_codec.h"

namespace kestrom::d2xx {

bool isHighSpeedOrX(uint32_t chipType);

// The chip's own fields from its configuration words (common words aside).
void decodeHighSpeed(uint32_t chipType, std::span<const uint16_t> config, EepromContents &out);

// The chip's own bytes into `config` (the new image being built: common words aside);
// FT_INVALID_PARAMETER for a setting the chip does not have.
FT_STATUS encodeHighSpeed(uint32_t chipType, const EepromContents &in, size_t eepromWords,
                          std::span<uint16_t> config);

}  // namespace kestrom::d2xx
