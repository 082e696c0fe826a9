#include "staging.h"

#include <cstring>

namespace kestrom::romgate {

// The record must match the D2XX program-data record: 88 bytes with 4-byte
// pointers, 104 with 8-byte ones.
static_assert(sizeof(FT_PROGRAM_DATA) == (sizeof(void *) == 4 ? 88 : 104));
static_assert(offsetof(FT_PROGRAM_DATA, VendorId) == 12);
static_assert(offsetof(FT_PROGRAM_DATA, MaxPower) == 16 + 4 * sizeof(void *));
static_assert(offsetof(FT_PROGRAM_DATA, UseExtOsc) == 52 + 4 * sizeof(void *));

Staging &staging() {
    static Staging state{};
    return state;
}

void clearRecord() {
    Staging &s = staging();
    std::memset(&s.record, 0, sizeof s.record);
    s.record.Signature2 = 0xFFFFFFFF;
    s.Manufacturer[0] = s.ManufacturerId[0] = s.Description[0] = s.SerialNumber[0] = '\0';
}

void prepareHeader(uint32_t version) {
    Staging &s = staging();
    s.record.Signature1 = 0x00000000;
    s.record.Signature2 = 0xFFFFFFFF;
    s.record.Version = version;
    s.record.Manufacturer = s.Manufacturer;
    s.record.ManufacturerId = s.ManufacturerId;
    s.record.Description = s.Description;
    s.record.SerialNumber = s.SerialNumber;
}

}  // namespace kestrom::romgate
