// Every chip's settings as its D2XX structure names them (FT_EEPROM_232B, _2232,
// _232R, _2232H, _4232H, _232H, _X_SERIES), for FT_EEPROM_Read/FT_EEPROM_Program and
// for whoever lists, shows or sets fields by name.
//
// To list every field of a chip: for (const ChipField &f : chipFields(type)), with
// f.name the structure's name for it; fill a buffer of chipStructureSize(type) bytes
// with toChipStructure and read each value with fieldValue. To change fields: set
// them with setFieldValue, take them back with fromChipStructure (which checks each
// value against its field), then encode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "eeprom_codec.h"

namespace kestrom::d2xx {

enum class FieldKind {
    Flag,          // any non-zero value sets it; reads 1 or 0
    Number,        // 0 to max
    DriveCurrent,  // 4, 8, 12 or 16 (mA)
    DriverType,    // FT_DRIVER_TYPE_D2XX or FT_DRIVER_TYPE_VCP
    Function,      // a CBUS pin's function, 0 to max
};

struct ChipField {
    const char *name;  // as the chip's D2XX structure names it (header fields too)
    size_t offset;     // in that structure
    size_t size;       // 1, 2 or 4 bytes
    FieldKind kind;
    uint32_t max;
};

// The fields of the chip's structure after its device type: the header's, then the
// chip's own, in structure order. Empty for a chip without a structure.
std::span<const ChipField> chipFields(uint32_t chipType);

// Bytes of the chip's structure; 0 for a chip without one (the AM and BM share
// FT_EEPROM_232B).
size_t chipStructureSize(uint32_t chipType);

uint32_t fieldValue(const void *structure, const ChipField &field);
void setFieldValue(void *structure, const ChipField &field, uint32_t value);

// Whether `value` is one the field takes.
bool fieldValueValid(const ChipField &field, uint32_t value);

// The chip's structure from decoded contents, its device type set.
// FT_INVALID_PARAMETER when `size` is not the chip's structure size.
FT_STATUS toChipStructure(uint32_t chipType, const EepromContents &contents, void *structure, size_t size);

// The structure's values over `contents` (texts and fields the structure lacks stay).
// FT_INVALID_PARAMETER, with `contents` untouched, for a wrong size or device type
// or a value a field does not take.
FT_STATUS fromChipStructure(uint32_t chipType, const void *structure, size_t size, EepromContents &contents);

// Whether two contents hold the same fields, texts and chip settings.
bool sameContents(uint32_t chipType, const EepromContents &a, const EepromContents &b);

}  // namespace kestrom::d2xx
