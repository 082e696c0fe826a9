// The EEPROM of one opened FTDI chip, word by word, over endpoint 0: vendor
// requests need no claimed interface, so the kernel's serial driver keeps the
// chip's ports while we work.
//
// Transfers are the cost on real hardware (about 1 ms each), so within one open a
// word is read from the chip once and then served from memory; a word written is
// read from the chip again, so a read-back checks the chip and not our memory. An
// erase is checked on the chip (erase()) and leaves the part known blank. Nothing read outlives the open:
// another program may write the chip in between.
//
// The part's size is told by how its contents repeat (eeprom_size_probe.h) and
// then remembered for the device while the program runs, as no write changes it.
// An EEPROM that reads blank everywhere repeats whatever its size, and so does a
// board with no EEPROM: reading cannot tell their size, and a read never writes,
// so until a change asks for it every address is read as itself. Only before a
// change is such a part sized by writing: the marker libftdi uses (0x55AA to word
// 0xC0, read back where the part's address width lands it), blanked again at
// once. If the marker is nowhere, no EEPROM is fitted (0 words). A change on a
// part whose first 64 words read blank, and the words the marker can land on,
// needs no more reads to size it: the marker comes at once.
#pragma once

#include <ftdi.h>
#include <libusb.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ftd2xx.h"

namespace kestrom::d2xx {

class UsbEeprom {
public:
    // Every address the chip sends: what a part whose size is not known is read as.
    static constexpr size_t kAddressSpace = 256;

    // `identity` names the device for the size memory: where it sits, its address
    // on the bus and its serial number.
    UsbEeprom(libusb_device_handle *handle, ftdi_chip_type type, std::string identity);

    // 64, 128 or 256; 0 when no EEPROM is fitted; kAddressSpace while reading has
    // not told the size (a blank part, or a read that failed).
    size_t words();
    // Before a change: the size settled, with the marker on a blank part. FT_OK, or
    // the status of the transfer that failed.
    FT_STATUS settleSizeForChange();
    // While the size is not known: words 0-63 when they all read blank. Whatever the
    // part's size, its configuration is then blank, and reading every address to
    // tell the size would not change that. Nothing otherwise, or when a read fails.
    std::optional<std::vector<uint16_t>> blankConfiguration();

    FT_STATUS read(size_t address, uint16_t &value);
    FT_STATUS write(size_t address, uint16_t value);
    // What the part holds at `address` as read in this open and not written since;
    // nothing once the part was erased in this open, so that a program after an
    // erase writes every word.
    std::optional<uint16_t> held(size_t address) const;
    // Every word to 0xFFFF; the FT232R's and the X series' EEPROMs are not erased (FT_OK).
    // FT_EEPROM_ERASE_FAILED when a word read in this open before it does not read
    // blank afterwards.
    FT_STATUS erase();
    // Puts back the serial port's latency timer that writing changed.
    void finish();

    // Forgets every size remembered (for tests).
    static void forgetSizes();

private:
    // Unsized: reading told nothing (a blank part), every address is read as itself.
    enum class Size { Unread, Known, Unsized };

    FT_STATUS transfer(uint8_t request, uint16_t value, uint16_t index, unsigned char *data, uint16_t length,
                       FT_STATUS failure);
    FT_STATUS readChip(size_t address, uint16_t &value, FT_STATUS failure);
    FT_STATUS writeChip(size_t address, uint16_t value, FT_STATUS failure);
    // Before a write: the chip prepared as libftdi's EEPROM writer prepares it
    // (reset, modem status, latency timer 0x77).
    FT_STATUS prepareWrites();
    // The FT232R's and X series' fixed sizes, or one remembered.
    bool sizeKnownWithoutReading();
    FT_STATUS sizeByMarker();
    bool blankAt(size_t address);
    void forgetContents() { cache_.fill(std::nullopt); }
    // The addresses of the words that do not read blank, when every word of a sized
    // part is known in this open.
    std::optional<std::vector<size_t>> wordsHeldSet() const;
    void settle(size_t words);

    libusb_device_handle *handle_;
    ftdi_chip_type type_;
    std::string identity_;
    Size size_ = Size::Unread;
    size_t words_ = 0;
    std::array<std::optional<uint16_t>, kAddressSpace> cache_{};
    bool erased_ = false;
    bool prepared_ = false;
    std::optional<uint8_t> latency_;  // the port's own, to put back
};

}  // namespace kestrom::d2xx
