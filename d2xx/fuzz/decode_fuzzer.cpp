// Feeds arbitrary EEPROM images to the codec's reading side, and checks that
// whatever it reads survives being written back and read again.
//
// Input: byte 0 chooses the chip and the EEPROM
//   bits 0-1  AM, BM, 2232C, 232R; with bit 5: 2232H, 4232H, 232H, X series
//   bit 2     a chip without a known layout instead (must be refused, not read)
//   bits 3-4  64, 128 or 256 words; 3 = the word count in byte 1 (0-255, short images)
//   bit 7     keep the checksum word as given; otherwise it is made to match, so
//             that most inputs get past the checksum
// then the image bytes, 16-bit little-endian words; missing words read 0xFFFF.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "chip_structures.h"
#include "eeprom_codec.h"

using namespace kestrom::d2xx;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

struct Input {
    uint32_t chip;
    Image image;
};

Input parse(const uint8_t *data, size_t size) {
    const uint8_t select = data[0];
    static constexpr uint32_t kChips[] = {FT_DEVICE_AM,    FT_DEVICE_BM,    FT_DEVICE_2232C, FT_DEVICE_232R,
                                          FT_DEVICE_2232H, FT_DEVICE_4232H, FT_DEVICE_232H,  FT_DEVICE_X_SERIES};
    const size_t chip = (select & 0x03) | ((select >> 3) & 0x04);
    Input in{(select & 0x04) ? uint32_t(FT_DEVICE_UNKNOWN) : kChips[chip], {}};
    ++data;
    --size;

    size_t words = size_t(64) << ((select >> 3) & 0x03);
    if (((select >> 3) & 0x03) == 3) {
        words = size > 0 ? data[0] : 0;
        if (size > 0) ++data, --size;
    }
    in.image.assign(words, 0xFFFF);
    for (size_t i = 0; i < words && 2 * i + 1 < size; ++i)
        in.image[i] = uint16_t(data[2 * i] | data[2 * i + 1] << 8);

    const size_t config = configWords(in.chip, words);
    if (!(select & 0x80) && words >= config) in.image[config - 1] = chipChecksum(in.chip, in.image, config);
    return in;
}

// A caller's buffer of exactly `capacity` bytes, so that a write past it is caught.
struct TextBuffer {
    explicit TextBuffer(size_t capacity) : capacity(capacity), bytes(new char[capacity]) {
        std::memset(bytes.get(), 'x', capacity);
    }
    bool terminated() const { return std::memchr(bytes.get(), 0, capacity) != nullptr; }
    size_t capacity;
    std::unique_ptr<char[]> bytes;
};

// The chip's D2XX structure from what was read, and back: every decoded value is
// one its field takes, except those past what the chip allows (a CBUS function, an
// I2C address, more than 500 mA), which are refused with the contents untouched.
void structureRoundTrip(uint32_t chip, const EepromContents &read) {
    const size_t size = chipStructureSize(chip);
    std::unique_ptr<unsigned char[]> structure(new unsigned char[size]);
    require(toChipStructure(chip, read, structure.get(), size) == FT_OK);
    EepromContents back = read;
    const FT_STATUS status = fromChipStructure(chip, structure.get(), size, back);
    require(status == FT_OK || status == FT_INVALID_PARAMETER);
    require(sameContents(chip, read, back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const Input in = parse(data, size);

    EepromContents first;
    const FT_STATUS status = decode(in.chip, in.image, first);
    if (!layoutKnown(in.chip)) require(status != FT_OK);
    if (status != FT_OK) return 0;

    uint32_t userBytes = 0;
    if (userAreaSize(in.chip, in.image, userBytes) == FT_OK)
        require(userBytes % 2 == 0 && userBytes < 2 * configWords(in.chip, in.image.size()));

    TextBuffer manufacturer(kManufacturerCapacity), id(kManufacturerIdCapacity),
        description(kDescriptionCapacity), serial(kSerialNumberCapacity);
    FT_PROGRAM_DATA record{};
    record.Manufacturer = manufacturer.bytes.get();
    record.ManufacturerId = id.bytes.get();
    record.Description = description.bytes.get();
    record.SerialNumber = serial.bytes.get();
    fillRecord(first, record);
    require(manufacturer.terminated() && id.terminated() && description.terminated() && serial.terminated());
    structureRoundTrip(in.chip, first);

    // Written back, it must read the same. Refusals are allowed where the image held
    // what cannot be written: texts that overlapped and no longer fit once laid out
    // one after another, a channel with more than one mode bit, a function or
    // address past what the chip has. A refusal leaves the image untouched.
    Image again = in.image;
    const FT_STATUS written = encode(in.chip, first, again);
    if (written != FT_OK) {
        require(written == FT_INVALID_PARAMETER && again == in.image);
        return 0;
    }
    EepromContents second;
    require(decode(in.chip, again, second) == FT_OK);
    for (size_t i = 0; i < again.size(); ++i) require(!reservedWord(in.chip, i) || again[i] == in.image[i]);
    // Writing puts the chip's own bcdDevice in, so Rev4 / Rev5 follow the chip,
    // whatever the image held.
    require(second.fields.Rev4 == (in.chip == FT_DEVICE_BM) &&
            second.fields.Rev5 == (in.chip == FT_DEVICE_2232C));
    first.fields.Rev4 = second.fields.Rev4;
    first.fields.Rev5 = second.fields.Rev5;
    require(sameContents(in.chip, first, second));
    return 0;
}
