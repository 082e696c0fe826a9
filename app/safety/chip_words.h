// A chip's EEPROM as words, read and written through the D2XX calls, and what
// the chip says of itself: the raw material of backups, images and recovery.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "d2xx_binding.h"

namespace kestrom::safety {

struct ChipIdentity {
    uint32_t type = FT_DEVICE_UNKNOWN;
    uint32_t id = 0;  // VID << 16 | PID
    QString serialNumber;
    QString description;
};

struct ChipWords {
    ChipIdentity identity;
    // Every word of the part: 64 (93C46, the FT232R's area), 128 (93C56) or 256 (93C66).
    std::vector<uint16_t> words;
};

// The chip's name as the program shows it ("FT232BM", "FT2232C", ...).
QString chipName(uint32_t type);

// An open device, closed again when this goes.
class OpenDevice {
public:
    OpenDevice(platform::D2xxBinding &d2xx, int index);
    ~OpenDevice();
    OpenDevice(const OpenDevice &) = delete;
    OpenDevice &operator=(const OpenDevice &) = delete;

    FT_STATUS status() const { return status_; }  // of the open
    FT_HANDLE handle() const { return handle_; }
    // The status of the close, or of the open when it failed.
    FT_STATUS close();

private:
    platform::D2xxBinding &d2xx_;
    FT_HANDLE handle_ = nullptr;
    FT_STATUS status_;
    bool open_;
};

// The chip type, USB IDs and strings of an open device.
FT_STATUS readIdentity(platform::D2xxBinding &d2xx, FT_HANDLE handle, ChipIdentity &identity);

// The identity and every word of device `index`. The part's size is told by where
// word addresses wrap (a 93C46 answers word 64 with word 0); a blank part shows no
// wrap and is read as 64 words, all 0xFFFF, which is all it holds on any part.
// `opened` tells whether the device opened at all.
FT_STATUS readChipWords(platform::D2xxBinding &d2xx, int index, ChipWords &out, bool *opened = nullptr);

// The word count of a blank part, told by writing word 0 and looking for it at
// words 64 and 128; word 0 is blank again afterwards.
FT_STATUS probeBlankPartSize(platform::D2xxBinding &d2xx, int index, size_t &words);

// Writes `words` from word 0 on, passing over the words the chip's maker keeps (the
// X series' factory area); the driver reads each one back. Stops at the first failure.
FT_STATUS writeChipWords(platform::D2xxBinding &d2xx, int index, std::span<const uint16_t> words);

// The state of the configuration area: "valid", "blank" or "bad checksum".
QString checksumState(uint32_t type, std::span<const uint16_t> words);
bool blankOrDamaged(uint32_t type, std::span<const uint16_t> words);

}  // namespace kestrom::safety
