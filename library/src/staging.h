// The library's one staging record, its text buffers, the last status and the
// user-area size: process-wide, created zero-filled at load.
#pragma once

#include "ftd2xx.h"

#include <cstddef>
#include <cstdint>

namespace kestrom::romgate {

inline constexpr size_t kManufacturerSize = 36;
inline constexpr size_t kManufacturerIdSize = 20;
inline constexpr size_t kDescriptionSize = 68;
inline constexpr size_t kSerialNumberSize = 20;

struct Staging {
    FT_PROGRAM_DATA record;
    char Manufacturer[kManufacturerSize];
    char ManufacturerId[kManufacturerIdSize];
    char Description[kDescriptionSize];
    char SerialNumber[kSerialNumberSize];
    FT_STATUS lastStatus;
    uint32_t userAreaSize;
};

Staging &staging();

// Every numeric field (the FT232R bytes too) to 0, the header to its cleared
// state, the text pointers to null and the texts to empty.
void clearRecord();

// Signature1 0, Signature2 0xFFFFFFFF, Version, the text pointers at the buffers.
void prepareHeader(uint32_t version);

}  // namespace kestrom::romgate
