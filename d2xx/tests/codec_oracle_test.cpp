// The codec against libftdi1's own EEPROM builder and decoder, both ways, over a
// table of values per chip and EEPROM size. libftdi keeps only the low byte of
// each UTF-16 character when it decodes, so the texts here are ASCII.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "eeprom_codec.h"
#include "ftdi_oracle.h"

namespace kestrom::d2xx {
namespace {

using oracle::Settings;

// Every numeric field of the record, so that a comparison also catches fields
// of another chip's layout that should have stayed 0.
// clang-format off
#define RECORD_FIELDS(X)                                                                                  \
    X(VendorId) X(ProductId) X(MaxPower) X(PnP) X(SelfPowered) X(RemoteWakeup) X(Rev4) X(IsoIn) X(IsoOut) \
    X(PullDownEnable) X(SerNumEnable) X(USBVersionEnable) X(USBVersion) X(Rev5) X(IsoInA) X(IsoInB)       \
    X(IsoOutA) X(IsoOutB) X(PullDownEnable5) X(SerNumEnable5) X(USBVersionEnable5) X(USBVersion5)         \
    X(AIsHighCurrent) X(BIsHighCurrent) X(IFAIsFifo) X(IFAIsFifoTar) X(IFAIsFastSer) X(AIsVCP)            \
    X(IFBIsFifo) X(IFBIsFifoTar) X(IFBIsFastSer) X(BIsVCP) X(UseExtOsc) X(HighDriveIOs) X(EndpointSize)   \
    X(PullDownEnableR) X(SerNumEnableR) X(InvertTXD) X(InvertRXD) X(InvertRTS) X(InvertCTS) X(InvertDTR)  \
    X(InvertDSR) X(InvertDCD) X(InvertRI) X(Cbus0) X(Cbus1) X(Cbus2) X(Cbus3) X(Cbus4) X(RIsD2XX)
// clang-format on

void expectSameContents(const EepromContents &want, const EepromContents &got) {
#define KESTROM_CHECK_FIELD(f) EXPECT_EQ(unsigned(want.fields.f), unsigned(got.fields.f)) << #f;
    RECORD_FIELDS(KESTROM_CHECK_FIELD)
#undef KESTROM_CHECK_FIELD
    EXPECT_EQ(want.manufacturer, got.manufacturer);
    EXPECT_EQ(want.description, got.description);
    EXPECT_EQ(want.serialNumber, got.serialNumber);
    EXPECT_EQ(want.usbVersionR, got.usbVersionR);
}

// The record that says what `s` says, in our terms (flags 0/1, other layouts' fields 0).
EepromContents contentsFor(uint32_t chip, const Settings &s) {
    EepromContents c;
    FT_PROGRAM_DATA &f = c.fields;
    f.Signature2 = 0xFFFFFFFF;
    f.Version = 2;
    f.VendorId = uint16_t(s.vendorId);
    f.ProductId = uint16_t(s.productId);
    f.MaxPower = uint16_t(s.maxPower);
    f.PnP = !s.notPnp;
    f.SelfPowered = s.selfPowered;
    f.RemoteWakeup = s.remoteWakeup;
    c.manufacturer = s.manufacturer;
    c.description = s.product;
    c.serialNumber = s.serial;
    if (chip == FT_DEVICE_BM) {
        f.Rev4 = 1;
        f.IsoIn = s.isoIn;
        f.IsoOut = s.isoOut;
        f.PullDownEnable = s.pullDowns;
        f.SerNumEnable = s.useSerial;
        f.USBVersionEnable = s.useUsbVersion;
        f.USBVersion = uint16_t(s.usbVersion);
    }
    if (chip == FT_DEVICE_2232C) {
        f.Rev5 = 1;
        f.IsoInA = s.isoIn;
        f.IsoOutA = s.isoOut;
        f.PullDownEnable5 = s.pullDowns;
        f.SerNumEnable5 = s.useSerial;
        f.USBVersionEnable5 = s.useUsbVersion;
        f.USBVersion5 = uint16_t(s.usbVersion);
        f.AIsHighCurrent = s.highCurrentA;
        f.BIsHighCurrent = s.highCurrentB;
        f.IFAIsFifo = s.channelAMode == oracle::kFifo245;
        f.IFAIsFifoTar = s.channelAMode == oracle::kCpuFifo;
        f.IFAIsFastSer = s.channelAMode == oracle::kFastSerial;
        f.AIsVCP = s.channelAVcp;
        f.IFBIsFifo = s.channelBMode == oracle::kFifo245;
        f.IFBIsFifoTar = s.channelBMode == oracle::kCpuFifo;
        f.IFBIsFastSer = s.channelBMode == oracle::kFastSerial;
        f.BIsVCP = s.channelBVcp;
    }
    if (chip == FT_DEVICE_232R) {
        f.UseExtOsc = s.externalOscillator;
        f.HighDriveIOs = s.highDrive;
        f.EndpointSize = 0x40;
        f.PullDownEnableR = s.pullDowns;
        f.SerNumEnableR = s.useSerial;
        uint8_t *inverts[] = {&f.InvertTXD, &f.InvertRXD, &f.InvertRTS, &f.InvertCTS,
                              &f.InvertDTR, &f.InvertDSR, &f.InvertDCD, &f.InvertRI};
        for (int i = 0; i < 8; ++i) *inverts[i] = (s.invert >> i) & 1;
        uint8_t *cbus[] = {&f.Cbus0, &f.Cbus1, &f.Cbus2, &f.Cbus3, &f.Cbus4};
        for (int i = 0; i < 5; ++i) *cbus[i] = uint8_t(s.cbus[i]);
        f.RIsD2XX = !s.channelAVcp;
        c.usbVersionR = uint16_t(s.usbVersion);
    }
    return c;
}

// What libftdi reads back must be what it was given, for the values the chip has.
void expectSameSettings(uint32_t chip, const Settings &want, const Settings &got) {
    EXPECT_EQ(want.vendorId, got.vendorId);
    EXPECT_EQ(want.productId, got.productId);
    EXPECT_EQ(want.maxPower, got.maxPower);
    EXPECT_EQ(want.selfPowered, got.selfPowered);
    EXPECT_EQ(want.remoteWakeup, got.remoteWakeup);
    EXPECT_EQ(want.manufacturer, got.manufacturer);
    EXPECT_EQ(want.product, got.product);
    EXPECT_EQ(want.serial, got.serial);
    if (chip == FT_DEVICE_AM) return;
    EXPECT_EQ(want.pullDowns, got.pullDowns);
    EXPECT_EQ(want.useSerial, got.useSerial);
    EXPECT_EQ(want.usbVersion, got.usbVersion);
    if (chip == FT_DEVICE_232R) {
        EXPECT_EQ(want.channelAVcp, got.channelAVcp);
        EXPECT_EQ(want.invert, got.invert);
        EXPECT_EQ(want.cbus, got.cbus);
        EXPECT_EQ(want.externalOscillator, got.externalOscillator);
        EXPECT_EQ(want.highDrive, got.highDrive);
        return;
    }
    EXPECT_EQ(want.isoIn, got.isoIn);
    EXPECT_EQ(want.isoOut, got.isoOut);
    EXPECT_EQ(want.useUsbVersion, got.useUsbVersion);
    if (chip != FT_DEVICE_2232C) return;
    EXPECT_EQ(want.channelAMode, got.channelAMode);
    EXPECT_EQ(want.channelBMode, got.channelBMode);
    EXPECT_EQ(want.channelAVcp, got.channelAVcp);
    EXPECT_EQ(want.channelBVcp, got.channelBVcp);
    EXPECT_EQ(want.highCurrentA, got.highCurrentA);
    EXPECT_EQ(want.highCurrentB, got.highCurrentB);
}

size_t stringStart(uint32_t chip, size_t words) {
    const size_t header = chip == FT_DEVICE_2232C ? 0x16 : chip == FT_DEVICE_232R ? 0x18 : 0x14;
    return configWords(chip, words) == 64 ? header : header + 0x80;
}

size_t stringsEnd(uint32_t chip, size_t words, const Settings &s) {
    return stringStart(chip, words) + 6 + 2 * (s.manufacturer.size() + s.product.size() + s.serial.size());
}

// libftdi writes the three PnP bytes on the 2232C and 232R, not on the AM and BM.
bool libftdiWritesPnp(uint32_t chip) {
    return chip == FT_DEVICE_2232C || chip == FT_DEVICE_232R;
}

std::string text(size_t length, char c) {
    return std::string(length, c);
}

struct Row {
    std::string name;
    uint32_t chip;
    size_t words;
    Settings settings;
};

void PrintTo(const Row &row, std::ostream *os) {
    *os << row.name;
}

std::vector<Row> rows() {
    const Settings reference{
        .manufacturer = "FTDI", .product = "USB FTDI port", .serial = "QV000001", .maxPower = 90};
    // Edge widths: IDs at both ends, power 0 / 2 / 500 mA, empty texts and the longest
    // texts both we and libftdi accept (48 characters on AM/BM, 45 on the 2232C where
    // libftdi stops short of our 47, 46 on the 232R).
    const Settings low{.vendorId = 0x0000,
                       .productId = 0xFFFF,
                       .maxPower = 0,
                       .selfPowered = true,
                       .remoteWakeup = true,
                       .useSerial = false};
    const auto high = [](size_t longest) {
        return Settings{.vendorId = 0xFFFF,
                        .productId = 0x0000,
                        .manufacturer = text(longest / 3, 'M'),
                        .product = text(longest / 3, 'p'),
                        .serial = text(longest - 2 * (longest / 3), '7'),
                        .maxPower = 500};
    };
    const Settings oneText{.product = text(40, 'd'), .maxPower = 2, .remoteWakeup = true};

    std::vector<Row> out;
    const auto add = [&](std::string name, uint32_t chip, std::vector<size_t> sizes, Settings s) {
        for (size_t words : sizes) out.push_back({name + "_" + std::to_string(words), chip, words, s});
    };
    const std::vector<size_t> allSizes{64, 128, 256};

    add("AmReference", FT_DEVICE_AM, {64, 128}, reference);
    add("AmLow", FT_DEVICE_AM, {64, 128}, low);
    add("AmHigh", FT_DEVICE_AM, {64, 128}, high(48));

    add("BmReference", FT_DEVICE_BM, allSizes, reference);
    add("BmLow", FT_DEVICE_BM, allSizes, low);
    Settings bm = high(48);
    bm.isoIn = bm.isoOut = bm.pullDowns = bm.useUsbVersion = true;
    bm.usbVersion = 0x0110;
    add("BmHigh", FT_DEVICE_BM, allSizes, bm);
    Settings bmVersion = oneText;
    bmVersion.useUsbVersion = true;
    add("BmUsb20", FT_DEVICE_BM, {64}, bmVersion);

    Settings c = reference;
    c.productId = 0x6010;
    c.channelAMode = oracle::kFifo245;
    c.channelAVcp = c.highCurrentA = true;
    c.channelBMode = oracle::kCpuFifo;
    c.isoIn = c.isoOut = c.pullDowns = c.useUsbVersion = c.notPnp = true;
    c.usbVersion = 0x0110;
    add("C2232FifoCpu", FT_DEVICE_2232C, allSizes, c);
    Settings cLow = low;
    cLow.channelAMode = oracle::kFastSerial;
    cLow.channelBMode = oracle::kFifo245;
    cLow.channelBVcp = cLow.highCurrentB = true;
    add("C2232Low", FT_DEVICE_2232C, allSizes, cLow);
    Settings cHigh = high(45);
    cHigh.channelAMode = oracle::kCpuFifo;
    cHigh.channelBMode = oracle::kFastSerial;
    cHigh.channelAVcp = cHigh.channelBVcp = cHigh.highCurrentA = cHigh.highCurrentB = true;
    cHigh.isoOut = true;
    add("C2232High", FT_DEVICE_2232C, allSizes, cHigh);

    // No iso bits on the 232R: its word 5 carries only pull-down and serial (libftdi
    // would write iso there if asked).
    add("R232Reference", FT_DEVICE_232R, {64}, reference);
    Settings r = low;
    r.invert = 0xA5;
    r.cbus = {6, 9, 10, 12, 5};
    r.externalOscillator = r.highDrive = r.pullDowns = r.notPnp = r.channelAVcp = true;
    r.usbVersion = 0x0110;  // word 6; the 232R has no "use USB version" bit
    add("R232Low", FT_DEVICE_232R, {64}, r);
    Settings rHigh = high(46);
    rHigh.invert = 0xFF;
    rHigh.cbus = {12, 0, 7, 4, 9};
    add("R232High", FT_DEVICE_232R, {64}, rHigh);
    Settings rOne = oneText;
    rOne.invert = 0x5A;
    rOne.cbus = {0, 1, 2, 3, 4};
    rOne.highDrive = true;
    add("R232OneText", FT_DEVICE_232R, {64}, rOne);
    return out;
}

class Oracle : public ::testing::TestWithParam<Row> {};

TEST_P(Oracle, LibftdiImageDecodesToTheSameValues) {
    const Row &row = GetParam();
    std::string error;
    const auto image = oracle::build(row.chip, row.words, row.settings, error);
    ASSERT_TRUE(image) << error;

    EepromContents want = contentsFor(row.chip, row.settings);
    if (!libftdiWritesPnp(row.chip)) want.fields.PnP = 1;          // no PnP bytes: PnP reads 1
    if (row.chip == FT_DEVICE_BM) want.fields.PullDownEnable = 0;  // libftdi never sets it on a BM
    EepromContents got;
    ASSERT_EQ(FT_OK, decode(row.chip, *image, got));
    expectSameContents(want, got);

    const size_t checksumByte = 2 * (configWords(row.chip, row.words) - 1);
    size_t used = stringsEnd(row.chip, row.words, row.settings) + (libftdiWritesPnp(row.chip) ? 3 : 0);
    used += used % 2;
    uint32_t userArea = 0;
    ASSERT_EQ(FT_OK, userAreaSize(row.chip, *image, userArea));
    EXPECT_EQ(checksumByte - used, userArea);
}

TEST_P(Oracle, OurImageDecodesInLibftdiToTheSameValues) {
    const Row &row = GetParam();
    Image image(row.words, 0);
    ASSERT_EQ(FT_OK, encode(row.chip, contentsFor(row.chip, row.settings), image));
    std::string error;
    const auto got = oracle::decode(row.chip, image, error);
    ASSERT_TRUE(got) << error;
    expectSameSettings(row.chip, row.settings, *got);
}

TEST_P(Oracle, ImagesAgreeWordForWord) {
    const Row &row = GetParam();
    std::string error;
    auto want = oracle::build(row.chip, row.words, row.settings, error);
    ASSERT_TRUE(want) << error;
    // On the 2232C and 232R the images must be identical (libftdi writes the same PnP
    // bytes there). Tolerated: on the AM and BM we add the PnP bytes after the serial
    // descriptor, and on the BM the pull-down bit, both of which libftdi leaves out.
    // Both fill the rest of the area with zeros here, as our image starts zeroed.
    if (!libftdiWritesPnp(row.chip)) {
        const size_t at = stringsEnd(row.chip, row.words, row.settings);
        const uint8_t pnp[] = {0x02, 0x03, uint8_t(row.settings.notPnp ? 1 : 0)};
        for (size_t i = 0; i < 3; ++i) {
            uint16_t &w = (*want)[(at + i) / 2];
            w = (at + i) % 2 ? uint16_t((w & 0x00FF) | pnp[i] << 8) : uint16_t((w & 0xFF00) | pnp[i]);
        }
    }
    if (row.chip == FT_DEVICE_BM && row.settings.pullDowns) (*want)[5] |= 0x04;
    const size_t words = configWords(row.chip, row.words);
    (*want)[words - 1] = checksum(*want, words);

    Image got(row.words, 0);
    ASSERT_EQ(FT_OK, encode(row.chip, contentsFor(row.chip, row.settings), got));
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ((*want)[i], got[i]) << "word " << i << " (byte 0x" << std::hex << 2 * i << ")";
}

INSTANTIATE_TEST_SUITE_P(Chips, Oracle, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row> &info) { return info.param.name; });

// Our longest texts per chip: the three descriptors plus the PnP bytes end just before
// the checksum word. libftdi reads them back; one character more is refused.
TEST(OracleLimits, LongestTextsFitAndOneMoreIsRefused) {
    struct Case {
        uint32_t chip;
        size_t words;
        size_t longest;
    };
    const Case cases[] = {{FT_DEVICE_AM, 64, 48},    {FT_DEVICE_BM, 64, 48},     {FT_DEVICE_BM, 128, 48},
                          {FT_DEVICE_2232C, 64, 47}, {FT_DEVICE_2232C, 256, 47}, {FT_DEVICE_232R, 64, 46}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "chip " << c.chip << ", " << c.words << " words");
        for (size_t length : {c.longest, c.longest + 1}) {
            Settings s{
                .manufacturer = text(1, 'm'), .product = text(length - 2, 'p'), .serial = text(1, 's')};
            Image image(c.words, 0x1234);
            const Image before = image;
            const FT_STATUS status = encode(c.chip, contentsFor(c.chip, s), image);
            if (length > c.longest) {
                EXPECT_EQ(FT_INVALID_PARAMETER, status);
                EXPECT_EQ(before, image);
                continue;
            }
            ASSERT_EQ(FT_OK, status);
            std::string error;
            const auto got = oracle::decode(c.chip, image, error);
            ASSERT_TRUE(got) << error;
            EXPECT_EQ(s.product, got->product);
            EXPECT_EQ(s.serial, got->serial);
        }
    }
}

// The FT232BM image libftdi builds for the reference values, typed in byte for byte.
Image referenceImage() {
    const uint8_t head[] = {
        0x00, 0x00, 0x03, 0x04, 0x01, 0x60, 0x00, 0x04, 0x80, 0x2d, 0x08, 0x00, 0x00, 0x02, 0x94, 0x0a,
        0x9e, 0x1c, 0xba, 0x12, 0x0a, 0x03, 0x46, 0x00, 0x54, 0x00, 0x44, 0x00, 0x49, 0x00, 0x1c, 0x03,
        0x55, 0x00, 0x53, 0x00, 0x42, 0x00, 0x20, 0x00, 0x46, 0x00, 0x54, 0x00, 0x44, 0x00, 0x49, 0x00,
        0x20, 0x00, 0x70, 0x00, 0x6f, 0x00, 0x72, 0x00, 0x74, 0x00, 0x12, 0x03, 0x51, 0x00, 0x56, 0x00,
        0x30, 0x00, 0x30, 0x00, 0x30, 0x00, 0x30, 0x00, 0x30, 0x00, 0x31, 0x00, 0x00, 0x00, 0x00, 0x00,
    };
    uint8_t bytes[128] = {};
    std::copy(std::begin(head), std::end(head), bytes);
    bytes[0x7e] = 0x18;
    bytes[0x7f] = 0x65;
    Image image(64);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return image;
}

TEST(ReferenceImage, DecodesEveryField) {
    const Image image = referenceImage();
    EXPECT_EQ(0x6518, image[63]);
    EXPECT_EQ(0x6518, checksum(image, 64));

    EepromContents got;
    ASSERT_EQ(FT_OK, decode(FT_DEVICE_BM, image, got));
    EepromContents want;
    want.fields.VendorId = 0x0403;
    want.fields.ProductId = 0x6001;
    want.fields.MaxPower = 90;
    want.fields.PnP = 1;  // no PnP bytes follow the serial descriptor
    want.fields.Rev4 = 1;
    want.fields.SerNumEnable = 1;
    want.fields.USBVersion = 0x0200;
    want.manufacturer = "FTDI";
    want.description = "USB FTDI port";
    want.serialNumber = "QV000001";
    expectSameContents(want, got);

    // The serial descriptor ends at byte 0x4C; words 0x26..0x3E are the user area.
    uint32_t userArea = 0;
    ASSERT_EQ(FT_OK, userAreaSize(FT_DEVICE_BM, image, userArea));
    EXPECT_EQ(50u, userArea);

    char manufacturer[kManufacturerCapacity], id[kManufacturerIdCapacity], description[kDescriptionCapacity],
        serial[kSerialNumberCapacity];
    FT_PROGRAM_DATA record{};
    record.Manufacturer = manufacturer;
    record.ManufacturerId = id;
    record.Description = description;
    record.SerialNumber = serial;
    fillRecord(got, record);
    EXPECT_STREQ("FTDI", manufacturer);
    EXPECT_STREQ("QV", id);
    EXPECT_STREQ("USB FTDI port", description);
    EXPECT_STREQ("QV000001", serial);
    EXPECT_EQ(0x6001, record.ProductId);
}

TEST(ReferenceImage, IsWhatLibftdiBuilds) {
    std::string error;
    const auto built = oracle::build(
        FT_DEVICE_BM, 64,
        {.manufacturer = "FTDI", .product = "USB FTDI port", .serial = "QV000001", .maxPower = 90}, error);
    ASSERT_TRUE(built) << error;
    EXPECT_EQ(referenceImage(), *built);
}

}  // namespace
}  // namespace kestrom::d2xx
