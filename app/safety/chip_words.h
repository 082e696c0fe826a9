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
    uint32_t location = 0;  // the port the device sits in, as the driver numbers it; 0: unknown
};

struct ChipWords {
    ChipIdentity identity;
    // Every word of the part: 64 (93C46, the FT232R's area), 128 (93C56) or 256 (93C66).
    std::vector<uint16_t> words;
};

// The chip's name as the program shows it ("FT232BM", "FT2232C", ...).
QString chipName(uint32_t type);

// An open device, closed again when this goes. While it is open no other open of
// the chip, in this process or another, succeeds: what it reads stays what it holds.
class OpenDevice {
public:
    OpenDevice(platform::D2xxBinding &d2xx, int index);
    // The device plugged in at `port`, through our own driver's KT_OpenByPort.
    OpenDevice(platform::D2xxBinding &d2xx, const QString &port);
    ~OpenDevice();
    OpenDevice(const OpenDevice &) = delete;
    OpenDevice &operator=(const OpenDevice &) = delete;

    FT_STATUS status() const { return status_; }  // of the open
    FT_HANDLE handle() const { return handle_; }
    // The status of the close, or of the open when it failed.
    FT_STATUS close();

    // The identity (with the location, when the listing still shows this chip at
    // its index) and every word. The part's size is told by where word addresses
    // wrap (a 93C46 answers word 64 with word 0); a blank part shows no wrap and is
    // read as 64 words, all 0xFFFF, which is all it holds on any part.
    FT_STATUS read(ChipWords &out);
    // Writes `words` from word 0 on, passing over the words the chip's maker keeps
    // (the X series' factory area); the driver reads each one back. Stops at the
    // first failure.
    FT_STATUS write(std::span<const uint16_t> words);
    // The word count of a blank part, told by writing word 0 and looking for it at
    // words 64 and 128; word 0 is blank again afterwards.
    FT_STATUS probeBlankPartSize(size_t &words);

private:
    platform::D2xxBinding &d2xx_;
    int index_;
    FT_HANDLE handle_ = nullptr;
    FT_STATUS status_;
    bool open_;
};

// The chip type, USB IDs and strings of an open device.
FT_STATUS readIdentity(platform::D2xxBinding &d2xx, FT_HANDLE handle, ChipIdentity &identity);

// The location of the chip `identity` names, when device `index` of the listing is it.
void locate(platform::D2xxBinding &d2xx, int index, ChipIdentity &identity);

// The part's words among every address the chip sends (256 of them), as
// OpenDevice::read tells them.
ChipWords chipWordsOf(ChipIdentity identity, std::span<const uint16_t> addresses);

// OpenDevice::read on device `index`, opened for it alone. `opened` tells whether
// the device opened at all; a close that fails takes nothing from the words.
FT_STATUS readChipWords(platform::D2xxBinding &d2xx, int index, ChipWords &out, bool *opened = nullptr);

// OpenDevice::probeBlankPartSize on device `index`, opened for it alone.
FT_STATUS probeBlankPartSize(platform::D2xxBinding &d2xx, int index, size_t &words);

// OpenDevice::write on device `index`, opened for it alone: the write's status;
// the close's goes to `closed`.
FT_STATUS writeChipWords(platform::D2xxBinding &d2xx, int index, std::span<const uint16_t> words,
                         FT_STATUS &closed);

// The state of the configuration area: "valid", "blank" or "bad checksum".
QString checksumState(uint32_t type, std::span<const uint16_t> words);
bool blankOrDamaged(uint32_t type, std::span<const uint16_t> words);

}  // namespace kestrom::safety
