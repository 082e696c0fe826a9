// What the codec refuses, what it makes of damaged images, and the record texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "chip_structures.h"
#include "eeprom_codec.h"
#include "text_codec.h"

using namespace kestrom::d2xx;

namespace {

// Texts of `characters` UTF-16 characters in all.
void texts(EepromContents &c, size_t characters) {
    c.manufacturer = "m", c.description = std::string(characters - 2, 'p'), c.serialNumber = "s";
}

size_t characters(const std::string &utf8) {
    size_t count = 0;
    for (unsigned char byte : utf8) count += (byte & 0xC0) != 0x80;
    return count;
}

}  // namespace

TEST(CodecRefuses, WhatCannotBeStoredAndLeavesTheImageAlone) {
    struct Case {
        const char *what;
        uint32_t chip;
        size_t words;
        void (*spoil)(EepromContents &);
    };
    // One character past the longest texts each chip takes (48, 48, 47, 46).
    const Case cases[] = {
        {"49 characters on an AM", FT_DEVICE_AM, 64, [](auto &c) { texts(c, 49); }},
        {"49 characters on a BM's 93C66", FT_DEVICE_BM, 256, [](auto &c) { texts(c, 49); }},
        {"48 characters on a 2232C", FT_DEVICE_2232C, 128, [](auto &c) { texts(c, 48); }},
        {"47 characters on a 232R", FT_DEVICE_232R, 64, [](auto &c) { texts(c, 47); }},
        {"invalid UTF-8", FT_DEVICE_BM, 64, [](auto &c) { c.description = "bad \xC3 text"; }},
        {"overlong UTF-8", FT_DEVICE_BM, 64, [](auto &c) { c.serialNumber = "\xC0\x80"; }},
        {"UTF-8 surrogate", FT_DEVICE_AM, 64, [](auto &c) { c.manufacturer = "\xED\xA0\x80"; }},
        {"max power past one byte of 2 mA units", FT_DEVICE_BM, 64, [](auto &c) { c.fields.MaxPower = 512; }},
        {"two modes on channel A", FT_DEVICE_2232C, 64,
         [](auto &c) { c.fields.IFAIsFifo = 1, c.fields.IFAIsFastSer = 1; }},
        {"two modes on channel B", FT_DEVICE_2232C, 64,
         [](auto &c) { c.fields.IFBIsFifoTar = 1, c.fields.IFBIsFifo = 1; }},
        {"a CBUS value wider than its nibble", FT_DEVICE_232R, 64, [](auto &c) { c.fields.Cbus2 = 0x10; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EepromContents in = chipDefaults(c.chip);
        c.spoil(in);
        Image image(c.words, 0xBEEF);
        EXPECT_EQ(FT_INVALID_PARAMETER, encode(c.chip, in, image));
        EXPECT_EQ(Image(c.words, 0xBEEF), image);
    }
    Image image(64, 0xFFFF);
    EXPECT_EQ(FT_NOT_SUPPORTED, encode(FT_DEVICE_100AX, chipDefaults(FT_DEVICE_BM), image));
}

TEST(CodecDecode, BlankOrBadChecksumIsNotProgrammed) {
    Image image(64, 0xFFFF);
    EepromContents out;
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, decode(FT_DEVICE_BM, image, out));
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, decode(FT_DEVICE_BM, Image(64, 0), out));
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, decode(FT_DEVICE_BM, Image(10, 0), out));
    ASSERT_EQ(FT_OK, encode(FT_DEVICE_BM, chipDefaults(FT_DEVICE_BM), image));
    EXPECT_EQ(FT_NOT_SUPPORTED, decode(FT_DEVICE_UNKNOWN, image, out));
    image[20] ^= 1;
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, decode(FT_DEVICE_BM, image, out));
    uint32_t bytes = 0;
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, userAreaSize(FT_DEVICE_BM, image, bytes));
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
        image[63] = checksum(image, 64);
        EepromContents out;
        ASSERT_EQ(FT_OK, decode(FT_DEVICE_BM, image, out));
        EXPECT_EQ(c.wantChars, characters(out.serialNumber)) << out.serialNumber;
        uint32_t bytes = 1234;
        EXPECT_EQ(FT_OK, userAreaSize(FT_DEVICE_BM, image, bytes));
        EXPECT_LE(bytes, 62u * 2);
    }
}

TEST(CodecRecord, FillCutsTextsAtCharacterBoundaries) {
    EepromContents contents;
    contents.manufacturer = std::string(34, 'a') + "ž";  // 36 bytes: the 2-byte letter cannot fit
    std::string euros;
    for (int i = 0; i < 30; ++i) euros += "€";
    contents.description = euros;                 // 90 bytes, 3 a character
    contents.serialNumber = "ŽŠ00012345678901Ř";  // 20 bytes
    char manufacturer[40], id[20], description[72], serial[24];
    std::memset(manufacturer, '#', sizeof manufacturer), std::memset(description, '#', sizeof description);
    std::memset(serial, '#', sizeof serial);
    FT_PROGRAM_DATA record{};
    record.Manufacturer = manufacturer, record.ManufacturerId = id;
    record.Description = description, record.SerialNumber = serial;
    fillRecord(contents, record);
    EXPECT_EQ(std::string(34, 'a'), manufacturer);
    EXPECT_EQ('#', manufacturer[36]) << "wrote past the 36-byte buffer";
    EXPECT_STREQ("ŽŠ", id) << "the first two characters of the serial number";
    EXPECT_EQ(euros.substr(0, 66), description);
    EXPECT_EQ('#', description[68]) << "wrote past the 68-byte buffer";
    EXPECT_EQ(std::string("ŽŠ00012345678901"), serial) << "19 bytes at most, whole characters";
    EXPECT_EQ('#', serial[20]);
}

// The record's UTF-8 and the UTF-16 of the EEPROM's string descriptors, at the edges
// of each encoding length, of the surrogates and of Unicode itself.
TEST(TextCodec, EveryPlaneRoundTripsAndWhatIsNoCharacterIsRefusedOrReplaced) {
    const std::pair<std::string, std::u16string> same[] = {
        {"A\x7F", {u'A', 0x7F}},
        {"\xC2\x80\xDF\xBF", {0x80, 0x7FF}},
        {"\xE0\xA0\x80\xEF\xBF\xBD", {0x800, 0xFFFD}},
        {"\xF0\x90\x80\x80", {0xD800, 0xDC00}},  // U+10000, the first past the basic plane
        {"\xF1\x80\x80\x80", {0xD8C0, 0xDC00}},  // U+40000, plane 4
        {"\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}},  // U+10FFFF, the last there is
    };
    for (const auto &[utf8, utf16] : same) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(utf16, utf8ToUtf16(utf8));
        EXPECT_EQ(utf8, utf16ToUtf8(utf16));
    }
    for (const char *refused : {"\xF4\x90\x80\x80",  // U+110000, past Unicode
                                "\xF5\x80\x80\x80", "\xF7\xBF\xBF\xBF", "\xF8\x88\x80\x80\x80", "\xC1\xBF",
                                "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",  // overlong
                                "\xED\xA0\x80", "\xED\xBF\xBF",      // surrogates
                                "\xF4\x8F\xBF", "\x80", "A\xC3"}) {
        EXPECT_EQ(std::nullopt, utf8ToUtf16(refused)) << refused;
    }
    const std::string replacement = "\xEF\xBF\xBD";
    const std::pair<std::u16string, std::string> unpaired[] = {
        {{0xD800}, replacement},
        {{0xDBFF}, replacement},
        {{0xD800, u'A'}, replacement + "A"},
        {{u'A', 0xDC00}, "A" + replacement},
        {{0xDFFF, 0xD800}, replacement + replacement},
        {{0xD800, 0xE000}, replacement + "\xEE\x80\x80"},  // followed by the first character past them
    };
    for (const auto &[utf16, utf8] : unpaired) EXPECT_EQ(utf8, utf16ToUtf8(utf16));
}

TEST(TextCodec, ACutTextKeepsWholeCharactersOnlyAndEndsInItsBuffer) {
    const struct {
        const char *text;
        size_t capacity;
        const char *kept;
    } cases[] = {
        {"\xC5\xBE", 2, ""},                                   // ž: its two bytes and the NUL need three
        {"\xC5\xBE", 3, "\xC5\xBE"}, {"\xE2\x82\xAC", 3, ""},  // €
        {"a\xE2\x82\xAC", 4, "a"},   {"abc", 1, ""},
    };
    for (const auto &c : cases) {
        char buffer[8];
        std::memset(buffer, '#', sizeof buffer);
        copyTextCut(c.text, buffer, c.capacity);
        EXPECT_STREQ(c.kept, buffer) << c.text << " in " << c.capacity;
        EXPECT_EQ('#', buffer[c.capacity]) << "written past the buffer";
    }
    char untouched = '#';
    copyTextCut("abc", &untouched, 0);
    EXPECT_EQ('#', untouched);
}

// Each chip's field table names every field of its D2XX structure once, in
// structure order, where the structure keeps it.
TEST(ChipFields, EveryFieldOfEveryStructureOnceInOrder) {
    const std::pair<uint32_t, size_t> counts[] = {
        {FT_DEVICE_AM, 7},     {FT_DEVICE_BM, 7},     {FT_DEVICE_2232C, 17}, {FT_DEVICE_232R, 23},
        {FT_DEVICE_2232H, 28}, {FT_DEVICE_4232H, 27}, {FT_DEVICE_232H, 32},  {FT_DEVICE_X_SERIES, 40}};
    for (const auto &[chip, count] : counts) {
        SCOPED_TRACE(chip);
        const auto fields = chipFields(chip);
        EXPECT_EQ(count, fields.size());
        size_t end = sizeof(FT_DEVICE);
        for (const ChipField &field : fields) {
            EXPECT_GE(field.offset, end) << field.name << " overlaps the field before it";
            end = field.offset + field.size;
        }
        EXPECT_LE(end, chipStructureSize(chip));
        EXPECT_GT(end + 4, chipStructureSize(chip)) << "nothing left out at the end";
    }
    EXPECT_TRUE(chipFields(FT_DEVICE_100AX).empty());
    EXPECT_EQ(0u, chipStructureSize(FT_DEVICE_UNKNOWN));
}
