// Round trips through our own codec, and what it does with damaged images.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "eeprom_codec.h"

using namespace kestrom::d2xx;

namespace {

struct ChipCase {
    uint32_t chip;
    size_t words;
    size_t textRoom;  // bytes free for the three descriptors and the PnP bytes
};

const ChipCase kChips[] = {
    {FT_DEVICE_AM, 64, 106},   {FT_DEVICE_BM, 64, 106},    {FT_DEVICE_BM, 128, 106},
    {FT_DEVICE_BM, 256, 106},  {FT_DEVICE_2232C, 64, 104}, {FT_DEVICE_2232C, 128, 104},
    {FT_DEVICE_2232C, 256, 104}, {FT_DEVICE_232R, 64, 102},
};

// Sets every field the chip stores from `seed`, so each case moves every bit.
EepromContents contentsFor(uint32_t chip, unsigned seed) {
    EepromContents c;
    FT_PROGRAM_DATA &f = c.fields;
    const bool on = seed % 2;
    f.VendorId = seed ? 0xFFFF : 0x0000;
    f.ProductId = static_cast<uint16_t>(0x1D00 + seed);
    f.MaxPower = seed == 0 ? 0 : (seed == 1 ? 500 : 510);
    f.PnP = on;
    f.SelfPowered = !on;
    f.RemoteWakeup = on;
    if (chip == FT_DEVICE_BM) {
        f.Rev4 = 1;
        f.IsoIn = on, f.IsoOut = !on, f.PullDownEnable = on, f.SerNumEnable = !on, f.USBVersionEnable = on;
        f.USBVersion = on ? 0x0110 : 0x0200;
    } else if (chip == FT_DEVICE_2232C) {
        f.Rev5 = 1;
        f.IsoInA = on, f.IsoInB = !on, f.IsoOutA = !on, f.IsoOutB = on;
        f.PullDownEnable5 = on, f.SerNumEnable5 = !on, f.USBVersionEnable5 = on;
        f.USBVersion5 = on ? 0x0110 : 0x0200;
        f.AIsHighCurrent = on, f.BIsHighCurrent = !on, f.AIsVCP = !on, f.BIsVCP = on;
        f.IFAIsFifo = seed == 1, f.IFAIsFifoTar = seed == 2, f.IFAIsFastSer = seed == 3;
        f.IFBIsFastSer = seed == 1, f.IFBIsFifo = seed == 2, f.IFBIsFifoTar = seed == 0;
    } else if (chip == FT_DEVICE_232R) {
        f.UseExtOsc = on, f.HighDriveIOs = !on, f.RIsD2XX = on, f.EndpointSize = seed ? 0x40 : 0xFF;
        f.PullDownEnableR = !on, f.SerNumEnableR = on;
        f.InvertTXD = on, f.InvertRXD = !on, f.InvertRTS = on, f.InvertCTS = !on;
        f.InvertDTR = on, f.InvertDSR = !on, f.InvertDCD = on, f.InvertRI = !on;
        f.Cbus0 = 0x0F, f.Cbus1 = static_cast<uint8_t>(seed), f.Cbus2 = 0, f.Cbus3 = 0x0A;
        f.Cbus4 = static_cast<uint8_t>(0xF0 + seed);
        c.usbVersionR = on ? 0x0110 : 0x0200;
    }
    return c;
}

struct Texts {
    const char *name;
    std::string manufacturer, description, serial;
};

// The longest texts that fit: `room` bytes hold 6 descriptor bytes, 3 PnP bytes
// and two bytes a character.
Texts longestTexts(size_t room) {
    const size_t chars = (room - 9) / 2;
    return {"longest", std::string(chars / 3, 'M'), std::string(chars - 2 * (chars / 3), 'D'),
            std::string(chars / 3, '7')};
}

void expectSame(const EepromContents &want, const EepromContents &got) {
    EXPECT_EQ(0, std::memcmp(&want.fields, &got.fields, sizeof want.fields)) << "numeric fields differ";
    EXPECT_EQ(want.manufacturer, got.manufacturer);
    EXPECT_EQ(want.description, got.description);
    EXPECT_EQ(want.serialNumber, got.serialNumber);
    EXPECT_EQ(want.usbVersionR, got.usbVersionR);
}

size_t characters(const std::string &utf8) {
    size_t count = 0;
    for (unsigned char byte : utf8) count += (byte & 0xC0) != 0x80;
    return count;
}

// Recomputes the checksum after a test has changed an image by hand.
void seal(Image &image, size_t words) { image[words - 1] = checksum(image, words); }

}  // namespace

TEST(CodecRoundTrip, EveryChipSizeAndValueSet) {
    for (const ChipCase &chip : kChips) {
        const std::vector<Texts> textSets = {
            {"empty", "", "", ""},
            {"ascii", "FTDI", "USB FTDI port", "QV000001"},
            {"non-ascii", "Pelmora s.r.o. Žluťoučký", "Kůň ± µA", "ČŘ€1"},
            {"outside the BMP", "\xF0\x9F\x94\x8C", "plug \xF0\x9F\x94\x8C", "1"},
            longestTexts(chip.textRoom),
        };
        for (unsigned seed = 0; seed < 4; ++seed) {
            for (const Texts &texts : textSets) {
                SCOPED_TRACE(testing::Message() << "chip " << chip.chip << ", " << chip.words << " words, seed "
                                                << seed << ", texts " << texts.name);
                EepromContents in = contentsFor(chip.chip, seed);
                in.manufacturer = texts.manufacturer;
                in.description = texts.description;
                in.serialNumber = texts.serial;
                Image image(chip.words, 0xFFFF);
                ASSERT_EQ(FT_OK, encode(chip.chip, in, image));
                EepromContents out;
                ASSERT_EQ(FT_OK, decode(chip.chip, image, out));
                if (chip.chip != FT_DEVICE_232R) in.usbVersionR = 0x0200;
                expectSame(in, out);
            }
        }
    }
}

TEST(CodecRoundTrip, LargerPartsKeepWordsPastTheConfigurationArea) {
    Image image(256, 0x1234);
    ASSERT_EQ(FT_OK, encode(FT_DEVICE_BM, contentsFor(FT_DEVICE_BM, 1), image));
    EXPECT_EQ(0x1234, image[128]);
    EXPECT_EQ(0x1234, image[255]);
    EXPECT_EQ(checksum(image, 128), image[127]);
    // Strings sit at 0x94 on a 93C56/93C66 and the pointer says so.
    EXPECT_EQ(0x94, image[7] & 0xFF);
    EXPECT_EQ(0x0302, image[0x94 / 2]) << "empty manufacturer descriptor: length 2, type 3";
}

TEST(CodecRoundTrip, Ft2232cRecordsTheEepromType) {
    for (auto [words, type] : {std::pair{64, 0x46}, {128, 0x56}, {256, 0x66}}) {
        Image image(words, 0xFFFF);
        ASSERT_EQ(FT_OK, encode(FT_DEVICE_2232C, contentsFor(FT_DEVICE_2232C, 0), image));
        EXPECT_EQ(type, image[10] & 0xFF);
    }
}

TEST(CodecRefuses, WhatCannotBeStoredAndLeavesTheImageAlone) {
    struct Case {
        const char *what;
        uint32_t chip;
        void (*spoil)(EepromContents &);
    };
    const Case cases[] = {
        {"texts one character too long", FT_DEVICE_BM,
         [](EepromContents &c) {
             const Texts t = longestTexts(106);
             c.manufacturer = t.manufacturer + "x", c.description = t.description, c.serialNumber = t.serial;
         }},
        {"invalid UTF-8", FT_DEVICE_BM, [](EepromContents &c) { c.description = "bad \xC3 text"; }},
        {"overlong UTF-8", FT_DEVICE_BM, [](EepromContents &c) { c.serialNumber = "\xC0\x80"; }},
        {"max power past one byte of 2 mA units", FT_DEVICE_BM, [](EepromContents &c) { c.fields.MaxPower = 512; }},
        {"two modes on channel A", FT_DEVICE_2232C,
         [](EepromContents &c) { c.fields.IFAIsFifo = 1, c.fields.IFAIsFastSer = 1; }},
        {"two modes on channel B", FT_DEVICE_2232C,
         [](EepromContents &c) { c.fields.IFBIsFifoTar = 1, c.fields.IFBIsFifo = 1; }},
        {"a CBUS value wider than its nibble", FT_DEVICE_232R, [](EepromContents &c) { c.fields.Cbus2 = 0x10; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EepromContents in = contentsFor(c.chip, 0);
        c.spoil(in);
        Image image(64, 0xBEEF);
        EXPECT_EQ(FT_INVALID_PARAMETER, encode(c.chip, in, image));
        EXPECT_EQ(Image(64, 0xBEEF), image);
    }
    Image image(64, 0xFFFF);
    EXPECT_EQ(FT_NOT_SUPPORTED, encode(FT_DEVICE_100AX, EepromContents{}, image));
    EXPECT_EQ(FT_NOT_SUPPORTED, encode(FT_DEVICE_2232H, EepromContents{}, image));
}

TEST(CodecDecode, BlankOrBadChecksumIsNotProgrammed) {
    EepromContents out;
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, decode(FT_DEVICE_BM, Image(64, 0xFFFF), out));
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, decode(FT_DEVICE_BM, Image(64, 0x0000), out));
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, decode(FT_DEVICE_BM, Image(10, 0x0000), out));
    Image image(64, 0xFFFF);
    ASSERT_EQ(FT_OK, encode(FT_DEVICE_BM, contentsFor(FT_DEVICE_BM, 1), image));
    image[20] ^= 1;
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, decode(FT_DEVICE_BM, image, out));
    uint32_t bytes = 0;
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, userAreaSize(FT_DEVICE_BM, image, bytes));
    EXPECT_EQ(FT_NOT_SUPPORTED, decode(FT_DEVICE_UNKNOWN, image, out));
}

TEST(CodecDecode, DamagedPointersStayInsideTheImage) {
    struct Case {
        const char *what;
        uint16_t pointer;  // high byte length, low byte offset | 0x80
        size_t wantChars;
    };
    // 93C46: offsets wrap at 0x80 and texts stop before the checksum word (byte 0x7E).
    const Case cases[] = {
        {"length 0", 0x0094, 0},
        {"length 1", 0x0194, 0},
        {"odd length", 0x0794, 2},
        {"length 255 near the end", 0xFFF0, (0x7E - 0x70 - 2) / 2},
        {"offset at the checksum", 0x10FE, 0},
        {"offset past the end", 0x10FF, 0},
        {"offset into the header", 0x0802, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Image image(64, 0x0041);
        image[1] = 0x0403, image[2] = 0x6001, image[3] = 0x0400;
        image[7] = image[8] = image[9] = c.pointer;
        seal(image, 64);
        EepromContents out;
        ASSERT_EQ(FT_OK, decode(FT_DEVICE_BM, image, out));
        EXPECT_EQ(c.wantChars, characters(out.serialNumber)) << out.serialNumber;
        uint32_t bytes = 1234;
        EXPECT_EQ(FT_OK, userAreaSize(FT_DEVICE_BM, image, bytes));
        EXPECT_LE(bytes, 62u * 2);
    }
}

TEST(CodecDecode, PnpMarkerAndUserArea) {
    Image image(64, 0xFFFF);
    EepromContents in = contentsFor(FT_DEVICE_BM, 0);
    in.manufacturer = "FTDI", in.description = "USB FTDI port", in.serialNumber = "QV000001";
    for (uint16_t pnp : {0, 1}) {
        in.fields.PnP = pnp;
        ASSERT_EQ(FT_OK, encode(FT_DEVICE_BM, in, image));
        EepromContents out;
        ASSERT_EQ(FT_OK, decode(FT_DEVICE_BM, image, out));
        EXPECT_EQ(pnp, out.fields.PnP);
        uint32_t bytes = 0;
        ASSERT_EQ(FT_OK, userAreaSize(FT_DEVICE_BM, image, bytes));
        EXPECT_EQ(46u, bytes) << "strings end at 0x4C, the PnP bytes at 0x4F";
    }
    // Without the marker (as other tools write it) PnP reads 1.
    image[0x4C / 2] = 0, image[0x4E / 2] = 0;
    seal(image, 64);
    EepromContents out;
    ASSERT_EQ(FT_OK, decode(FT_DEVICE_BM, image, out));
    EXPECT_EQ(1, out.fields.PnP);
}

TEST(CodecRecord, VersionDecidesWhichFieldsTheRecordCarries) {
    const EepromContents eeprom = contentsFor(FT_DEVICE_2232C, 1);
    EepromContents r = contentsFor(FT_DEVICE_232R, 1);
    FT_PROGRAM_DATA record = contentsFor(FT_DEVICE_2232C, 2).fields;
    std::memcpy(&record.UseExtOsc, &r.fields.UseExtOsc, offsetof(FT_PROGRAM_DATA, RIsD2XX) + 1 -
                                                            offsetof(FT_PROGRAM_DATA, UseExtOsc));
    char manufacturer[36] = "Maker", id[20] = "", description[68] = "Thing", serial[20] = "S1";
    record.Manufacturer = manufacturer, record.ManufacturerId = id;
    record.Description = description, record.SerialNumber = serial;

    for (uint32_t version : {0u, 1u, 2u, 7u}) {
        SCOPED_TRACE(version);
        record.Version = version;
        EepromContents merged = eeprom;
        ASSERT_EQ(FT_OK, mergeRecord(record, merged));
        EXPECT_EQ(record.VendorId, merged.fields.VendorId);
        EXPECT_EQ(record.MaxPower, merged.fields.MaxPower);
        EXPECT_EQ("Thing", merged.description);
        const FT_PROGRAM_DATA &source1 = version >= 1 ? record : eeprom.fields;
        const FT_PROGRAM_DATA &source2 = version >= 2 ? record : eeprom.fields;
        EXPECT_EQ(source1.IFAIsFifoTar, merged.fields.IFAIsFifoTar);
        EXPECT_EQ(source1.IFBIsFifo, merged.fields.IFBIsFifo);
        EXPECT_EQ(source1.USBVersion5, merged.fields.USBVersion5);
        EXPECT_EQ(source2.Cbus4, merged.fields.Cbus4);
        EXPECT_EQ(source2.InvertRI, merged.fields.InvertRI);
    }
}

TEST(CodecRecord, MergeRefusesMissingOrUnterminatedTexts) {
    char manufacturer[36], description[68] = "d", serial[20] = "s";
    std::memset(manufacturer, 'x', sizeof manufacturer);  // no NUL inside the buffer
    FT_PROGRAM_DATA record{};
    record.Manufacturer = manufacturer, record.Description = description, record.SerialNumber = serial;
    EepromContents contents = contentsFor(FT_DEVICE_BM, 0);
    const EepromContents before = contents;
    EXPECT_EQ(FT_INVALID_PARAMETER, mergeRecord(record, contents));
    record.Manufacturer = nullptr;
    EXPECT_EQ(FT_INVALID_PARAMETER, mergeRecord(record, contents));
    expectSame(before, contents);
}

TEST(CodecRecord, FillCutsTextsAtCharacterBoundaries) {
    EepromContents contents;
    contents.manufacturer = std::string(34, 'a') + "ž";  // 36 bytes: the 2-byte letter cannot fit
    contents.description = "Popis";
    contents.serialNumber = "ŽŠ00012345678901Ř";  // 20 bytes
    char manufacturer[40], id[20], description[68], serial[24];
    std::memset(manufacturer, '#', sizeof manufacturer);
    std::memset(serial, '#', sizeof serial);
    FT_PROGRAM_DATA record{};
    record.Manufacturer = manufacturer, record.ManufacturerId = id;
    record.Description = description, record.SerialNumber = serial;
    fillRecord(contents, record);
    EXPECT_EQ(std::string(34, 'a'), manufacturer);
    EXPECT_EQ('#', manufacturer[36]) << "wrote past the 36-byte buffer";
    EXPECT_STREQ("ŽŠ", id);
    EXPECT_STREQ("Popis", description);
    EXPECT_EQ(std::string("ŽŠ00012345678901"), serial) << "19 bytes at most, whole characters";
    EXPECT_EQ('#', serial[20]);
}
