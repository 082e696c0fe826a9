// The codec over one table of values per chip and EEPROM size: our own round trip,
// then libftdi1's EEPROM decoder and builder as an oracle both ways, and the images
// compared word for word. Rows libftdi cannot express (non-ASCII texts, values past
// its ranges) are round trips only. Last, the reference FT232BM image.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "chip_settings.h"
#include "chip_structures.h"
#include "eeprom_codec.h"
#include "ftdi_oracle.h"

namespace kestrom::d2xx {
namespace {

using oracle::Settings;

// Setting by setting, so that a failure names the setting, then the whole contents.
void expectSame(uint32_t chip, const EepromContents &want, const EepromContents &got) {
    for (const eeprom::Setting *s : eeprom::chipSettings(chip)) {
        const eeprom::Value a = eeprom::settingValue(*s, want), b = eeprom::settingValue(*s, got);
        EXPECT_EQ(eeprom::formatSettingValue(*s, a), eeprom::formatSettingValue(*s, b)) << s->name;
    }
    EXPECT_EQ(want.usbVersionR, got.usbVersionR);
    EXPECT_TRUE(sameContents(chip, want, got));
}

// A pin group in our terms from libftdi's (drive 0-3 for 4-16 mA).
void group(const Settings &s, int i, uint8_t &slew, uint8_t &schmitt, uint8_t &drive) {
    slew = uint8_t(s.slew[i]), schmitt = uint8_t(s.schmitt[i]), drive = uint8_t(4 * (s.drive[i] + 1));
}

void highSpeedFor(uint32_t chip, const Settings &s, EepromContents &c) {
    const auto mode = [](int channel, int m) { return uint8_t(channel == m); };
    const auto modes = [&](int channel, uint8_t &fifo, uint8_t &target, uint8_t &fast) {
        fifo = mode(channel, oracle::kFifo245), target = mode(channel, oracle::kCpuFifo);
        fast = mode(channel, oracle::kFastSerial);
    };
    const auto header = [&](FT_EEPROM_HEADER &h) {
        h.SerNumEnable = s.useSerial, h.PullDownEnable = s.pullDowns;
    };
    if (chip == FT_DEVICE_2232H) {
        FT_EEPROM_2232H &e = c.ft2232h;
        header(e.common);
        modes(s.channelAMode, e.AIsFifo, e.AIsFifoTar, e.AIsFastSer);
        modes(s.channelBMode, e.BIsFifo, e.BIsFifoTar, e.BIsFastSer);
        e.ADriverType = s.channelAVcp, e.BDriverType = s.channelBVcp, e.PowerSaveEnable = s.suspendDbus7;
        group(s, 0, e.ALSlowSlew, e.ALSchmittInput, e.ALDriveCurrent);
        group(s, 1, e.AHSlowSlew, e.AHSchmittInput, e.AHDriveCurrent);
        group(s, 2, e.BLSlowSlew, e.BLSchmittInput, e.BLDriveCurrent);
        group(s, 3, e.BHSlowSlew, e.BHSchmittInput, e.BHDriveCurrent);
    } else if (chip == FT_DEVICE_4232H) {
        FT_EEPROM_4232H &e = c.ft4232h;
        header(e.common);
        e.ADriverType = s.channelAVcp, e.BDriverType = s.channelBVcp;
        e.CDriverType = s.channelCVcp, e.DDriverType = s.channelDVcp;
        e.ARIIsTXDEN = s.rs485[0], e.BRIIsTXDEN = s.rs485[1], e.CRIIsTXDEN = s.rs485[2],
        e.DRIIsTXDEN = s.rs485[3];
        group(s, 0, e.ASlowSlew, e.ASchmittInput, e.ADriveCurrent);
        group(s, 1, e.BSlowSlew, e.BSchmittInput, e.BDriveCurrent);
        group(s, 2, e.CSlowSlew, e.CSchmittInput, e.CDriveCurrent);
        group(s, 3, e.DSlowSlew, e.DSchmittInput, e.DDriveCurrent);
    } else if (chip == FT_DEVICE_232H) {
        FT_EEPROM_232H &e = c.ft232h;
        header(e.common);
        modes(s.channelAMode, e.IsFifo, e.IsFifoTar, e.IsFastSer);
        e.IsFT1248 = mode(s.channelAMode, oracle::kFt1248), e.DriverType = s.channelAVcp;
        e.FT1248Cpol = s.clockPolarity, e.FT1248Lsb = s.dataOrder, e.FT1248FlowControl = s.flowControl;
        e.PowerSaveEnable = s.powerSave;
        group(s, 0, e.ACSlowSlew, e.ACSchmittInput, e.ACDriveCurrent);
        group(s, 1, e.ADSlowSlew, e.ADSchmittInput, e.ADDriveCurrent);
        uint8_t *pins[] = {&e.Cbus0, &e.Cbus1, &e.Cbus2, &e.Cbus3, &e.Cbus4,
                           &e.Cbus5, &e.Cbus6, &e.Cbus7, &e.Cbus8, &e.Cbus9};
        for (int i = 0; i < 10; ++i) *pins[i] = uint8_t(s.cbus[i]);
    } else if (chip == FT_DEVICE_X_SERIES) {
        FT_EEPROM_X_SERIES &e = c.xSeries;
        header(e.common);
        e.DriverType = FT_DRIVER_TYPE_VCP;  // libftdi writes the factory's 0x80 in byte 0
        group(s, 0, e.ADSlowSlew, e.ADSchmittInput, e.ADDriveCurrent);
        group(s, 1, e.ACSlowSlew, e.ACSchmittInput, e.ACDriveCurrent);
        uint8_t *pins[] = {&e.Cbus0, &e.Cbus1, &e.Cbus2, &e.Cbus3, &e.Cbus4, &e.Cbus5, &e.Cbus6};
        for (int i = 0; i < 7; ++i) *pins[i] = uint8_t(s.cbus[i]);
        uint8_t *inverts[] = {&e.InvertTXD, &e.InvertRXD, &e.InvertRTS, &e.InvertCTS,
                              &e.InvertDTR, &e.InvertDSR, &e.InvertDCD, &e.InvertRI};
        for (int i = 0; i < 8; ++i) *inverts[i] = (s.invert >> i) & 1;
    }
}

// What libftdi decodes of a newer chip's own settings (the older chips' are
// compared word for word).
std::vector<int> ownDecoded(uint32_t chip, const Settings &s) {
    std::vector<int> v;
    const auto groups = [&](int n) {
        for (int i = 0; i < n; ++i) v.insert(v.end(), {s.drive[i], s.schmitt[i], s.slew[i]});
    };
    if (chip == FT_DEVICE_2232H) {
        v = {s.channelAMode, s.channelBMode, s.channelAVcp, s.channelBVcp, s.suspendDbus7};
        groups(4);
    } else if (chip == FT_DEVICE_4232H) {
        v = {s.channelAVcp, s.channelBVcp, s.channelCVcp, s.channelDVcp};
        v.insert(v.end(), s.rs485.begin(), s.rs485.end());
        groups(4);
    } else if (chip == FT_DEVICE_232H) {
        v = {s.channelAMode, s.channelAVcp, s.clockPolarity, s.dataOrder, s.flowControl, s.powerSave};
        v.insert(v.end(), s.cbus.begin(), s.cbus.end());
        groups(2);
    } else if (chip == FT_DEVICE_X_SERIES) {
        v = {s.invert, s.cbus[0], s.cbus[1], s.cbus[2], s.cbus[3]};
        groups(2);
    }
    return v;
}

// The contents that say what `s` says, in our terms (flags 0/1, other layouts' fields 0).
EepromContents contentsFor(uint32_t chip, const Settings &s) {
    EepromContents c;
    FT_PROGRAM_DATA &f = c.fields;
    f.VendorId = uint16_t(s.vendorId), f.ProductId = uint16_t(s.productId), f.MaxPower = uint16_t(s.maxPower);
    f.PnP = !s.notPnp, f.SelfPowered = s.selfPowered, f.RemoteWakeup = s.remoteWakeup;
    c.manufacturer = s.manufacturer, c.description = s.product, c.serialNumber = s.serial;
    const auto usbVersion = uint16_t(s.usbVersion);
    const auto mode = [](int channel, int m) { return uint8_t(channel == m); };
    if (chip == FT_DEVICE_BM) {
        f.Rev4 = 1, f.IsoIn = s.isoIn, f.IsoOut = s.isoOut, f.PullDownEnable = s.pullDowns;
        f.SerNumEnable = s.useSerial, f.USBVersionEnable = s.useUsbVersion, f.USBVersion = usbVersion;
    } else if (chip == FT_DEVICE_2232C) {
        f.Rev5 = 1, f.IsoInA = s.isoIn, f.IsoOutA = s.isoOut, f.PullDownEnable5 = s.pullDowns;
        f.SerNumEnable5 = s.useSerial, f.USBVersionEnable5 = s.useUsbVersion, f.USBVersion5 = usbVersion;
        f.AIsHighCurrent = s.highCurrentA, f.BIsHighCurrent = s.highCurrentB;
        f.AIsVCP = s.channelAVcp, f.BIsVCP = s.channelBVcp;
        f.IFAIsFifo = mode(s.channelAMode, oracle::kFifo245);
        f.IFAIsFifoTar = mode(s.channelAMode, oracle::kCpuFifo);
        f.IFAIsFastSer = mode(s.channelAMode, oracle::kFastSerial);
        f.IFBIsFifo = mode(s.channelBMode, oracle::kFifo245);
        f.IFBIsFifoTar = mode(s.channelBMode, oracle::kCpuFifo);
        f.IFBIsFastSer = mode(s.channelBMode, oracle::kFastSerial);
    } else if (chip == FT_DEVICE_232R) {
        f.UseExtOsc = s.externalOscillator, f.HighDriveIOs = s.highDrive, f.EndpointSize = 0x40;
        f.PullDownEnableR = s.pullDowns, f.SerNumEnableR = s.useSerial, f.RIsD2XX = !s.channelAVcp;
        uint8_t *inverts[] = {&f.InvertTXD, &f.InvertRXD, &f.InvertRTS, &f.InvertCTS,
                              &f.InvertDTR, &f.InvertDSR, &f.InvertDCD, &f.InvertRI};
        for (int i = 0; i < 8; ++i) *inverts[i] = (s.invert >> i) & 1;
        uint8_t *cbus[] = {&f.Cbus0, &f.Cbus1, &f.Cbus2, &f.Cbus3, &f.Cbus4};
        for (int i = 0; i < 5; ++i) *cbus[i] = uint8_t(s.cbus[i]);
        c.usbVersionR = usbVersion;
    }
    highSpeedFor(chip, s, c);
    return c;
}

// The values every chip has, and the texts, as libftdi reads them.
auto common(const Settings &s) {
    return std::tie(s.vendorId, s.productId, s.maxPower, s.selfPowered, s.remoteWakeup, s.manufacturer,
                    s.product, s.serial);
}

const Settings reference{
    .manufacturer = "FTDI", .product = "USB FTDI port", .serial = "QV000001", .maxPower = 90};

enum Check { kRoundTrip, kLibftdiReads, kBothWays };

struct Row {
    std::string name;
    uint32_t chip;
    size_t words;
    Settings s;
    Check check;
    void (*ours)(EepromContents &);  // values libftdi has no setting for
    friend void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }
};

std::vector<Row> rows() {
    // Edge widths: IDs at both ends, power 0 / 2 / 500 mA, empty texts, and the
    // longest texts (48 characters on AM/BM, 47 on the 2232C, 46 on the 232R).
    Settings low{.vendorId = 0, .productId = 0xFFFF, .maxPower = 0};
    low.selfPowered = low.remoteWakeup = 1, low.useSerial = 0;
    const auto high = [](size_t n) {  // texts of n characters in all
        Settings s{.vendorId = 0xFFFF, .productId = 0, .maxPower = 500};
        s.manufacturer = std::string(n / 3, 'M'), s.product = std::string(n / 3, 'p');
        s.serial = std::string(n - 2 * (n / 3), '7');
        return s;
    };
    const Settings oneText{.product = std::string(40, 'd'), .maxPower = 2, .remoteWakeup = 1};

    // Across the rows of a chip, no two flags of one word are set alike, so that a
    // swap of two bits shows.
    std::vector<Row> out;
    const auto add = [&](std::string name, uint32_t chip, std::vector<size_t> sizes, Settings s,
                         Check check = kBothWays, void (*ours)(EepromContents &) = nullptr) {
        for (size_t words : sizes)
            out.push_back({name + "_" + std::to_string(words), chip, words, s, check, ours});
    };
    const std::vector<size_t> all{64, 128, 256};

    add("AmReference", FT_DEVICE_AM, {64, 128}, reference);
    add("AmLow", FT_DEVICE_AM, {64, 128}, low);
    add("AmHigh", FT_DEVICE_AM, {64, 128}, high(48));
    Settings amText{.manufacturer = "Pelmora s.r.o. Žluťoučký", .product = "Kůň ± µA 中", .serial = "ČŘ€1"};
    amText.notPnp = 1;
    add("AmUtf8", FT_DEVICE_AM, {64}, amText, kRoundTrip);

    add("BmReference", FT_DEVICE_BM, all, reference);
    add("BmLow", FT_DEVICE_BM, all, low);
    Settings bm = high(48);
    bm.isoIn = bm.pullDowns = bm.useUsbVersion = 1;
    bm.usbVersion = 0x0110;
    add("BmHigh", FT_DEVICE_BM, all, bm);
    Settings bmVersion = oneText;
    bmVersion.useUsbVersion = bmVersion.isoOut = 1;
    add("BmUsb20", FT_DEVICE_BM, {64}, bmVersion);
    Settings bmText{.manufacturer = "\xF0\x9F\x94\x8C", .product = "plug \xF0\x9F\x94\x8C", .serial = "ŽŠ1"};
    bmText.notPnp = bmText.pullDowns = 1;
    add("BmUtf8", FT_DEVICE_BM, {128}, bmText, kRoundTrip);

    Settings c = reference;
    c.productId = 0x6010;
    c.channelAMode = oracle::kFifo245, c.channelBMode = oracle::kCpuFifo;
    c.channelAVcp = c.highCurrentB = c.isoIn = c.pullDowns = c.notPnp = 1;
    c.usbVersion = 0x0110;
    add("C2232FifoCpu", FT_DEVICE_2232C, all, c);
    Settings cLow = low;
    cLow.channelAMode = oracle::kFastSerial, cLow.channelBMode = oracle::kFifo245;
    cLow.channelBVcp = cLow.highCurrentA = cLow.isoOut = cLow.pullDowns = cLow.useUsbVersion = 1;
    add("C2232Low", FT_DEVICE_2232C, all, cLow);
    Settings cHigh = high(45);  // libftdi builds no more than 45 characters here
    cHigh.channelAMode = oracle::kCpuFifo, cHigh.channelBMode = oracle::kFastSerial;
    cHigh.channelAVcp = cHigh.channelBVcp = cHigh.highCurrentA = cHigh.highCurrentB = cHigh.isoOut = 1;
    add("C2232High", FT_DEVICE_2232C, all, cHigh);
    add("C2232Longest", FT_DEVICE_2232C, {64, 256}, high(47), kLibftdiReads);
    add("C2232IsoInB", FT_DEVICE_2232C, {128}, c, kRoundTrip, [](auto &e) { e.fields.IsoInB = 1; });
    add("C2232IsoOutB", FT_DEVICE_2232C, {64}, cLow, kRoundTrip, [](auto &e) { e.fields.IsoOutB = 1; });

    // No iso bits on the 232R: its word 5 carries only pull-down and serial.
    add("R232Reference", FT_DEVICE_232R, {64}, reference);
    Settings r = low;
    r.invert = 0xA5, r.cbus = {6, 9, 10, 12, 5};
    r.externalOscillator = r.highDrive = r.pullDowns = r.notPnp = r.channelAVcp = 1;
    r.usbVersion = 0x0110;  // word 6; the 232R has no "use USB version" bit
    add("R232Low", FT_DEVICE_232R, {64}, r);
    Settings rHigh = high(46);
    rHigh.invert = 0xFF, rHigh.cbus = {12, 0, 7, 4, 9};
    add("R232High", FT_DEVICE_232R, {64}, rHigh);
    Settings rOne = oneText;
    rOne.invert = 0x33, rOne.cbus = {0, 1, 2, 3, 4}, rOne.highDrive = 1;
    add("R232OneText", FT_DEVICE_232R, {64}, rOne);
    Settings rEdges{.manufacturer = "Ω", .maxPower = 510};
    rEdges.cbus = {15, 0, 15, 0, 255};
    add("R232Edges", FT_DEVICE_232R, {64}, rEdges, kRoundTrip, [](auto &e) { e.fields.EndpointSize = 0xFF; });

    // Hi-Speed chips: every pin group its own drive, Schmitt and slew, modes and
    // drivers crossed between the rows. libftdi builds at most 43 characters on the
    // 2232H and 4232H, 40 on the 232H; our room is 45 and 42.
    Settings h = reference;
    h.productId = 0x6010;
    h.channelAMode = oracle::kFifo245, h.channelBMode = oracle::kCpuFifo;
    h.channelAVcp = h.suspendDbus7 = h.pullDowns = h.notPnp = 1;
    h.drive = {0, 1, 2, 3}, h.schmitt = {1, 0, 0, 1}, h.slew = {0, 1, 0, 1};
    add("H2232Fifo", FT_DEVICE_2232H, all, h);
    Settings hLow = low;
    hLow.channelAMode = oracle::kFastSerial, hLow.channelBMode = oracle::kFifo245, hLow.channelBVcp = 1;
    hLow.drive = {3, 2, 1, 0}, hLow.schmitt = {0, 1, 1, 0}, hLow.slew = {1, 0, 1, 0};
    add("H2232Low", FT_DEVICE_2232H, all, hLow);
    Settings hHigh = high(43);
    hHigh.channelAMode = oracle::kCpuFifo, hHigh.channelBMode = oracle::kFastSerial;
    hHigh.channelAVcp = hHigh.channelBVcp = 1;
    add("H2232High", FT_DEVICE_2232H, all, hHigh);
    add("H2232Longest", FT_DEVICE_2232H, {64, 256}, high(45), kLibftdiReads);

    Settings q = reference;
    q.productId = 0x6011;
    q.channelAVcp = q.channelDVcp = q.pullDowns = 1, q.rs485 = {1, 0, 0, 1};
    q.drive = {1, 3, 0, 2}, q.schmitt = {0, 1, 0, 1}, q.slew = {1, 1, 0, 0};
    add("H4232Reference", FT_DEVICE_4232H, all, q);
    Settings qLow = low;
    qLow.channelBVcp = qLow.channelCVcp = qLow.notPnp = 1, qLow.rs485 = {0, 1, 1, 0};
    qLow.drive = {2, 0, 3, 1}, qLow.schmitt = {1, 0, 1, 0}, qLow.slew = {0, 0, 1, 1};
    add("H4232Low", FT_DEVICE_4232H, all, qLow);
    add("H4232High", FT_DEVICE_4232H, {128}, high(43));

    Settings one = reference;
    one.productId = 0x6014, one.channelAMode = oracle::kFt1248, one.channelAVcp = 1;
    one.clockPolarity = one.flowControl = one.powerSave = one.pullDowns = 1;
    one.cbus = {0, 1, 2, 3, 4, 8, 8, 7, 8, 12};  // I/O mode on ACBUS5, 6, 8 and 9
    one.drive = {2, 1}, one.schmitt = {1, 0}, one.slew = {0, 1};
    add("H232Ft1248", FT_DEVICE_232H, all, one);
    Settings oneLow = low;
    oneLow.channelAMode = oracle::kCpuFifo, oneLow.dataOrder = oneLow.notPnp = 1;
    oneLow.cbus = {12, 11, 10, 9, 6, 5, 4, 3, 2, 1};
    oneLow.drive = {1, 3}, oneLow.schmitt = {0, 1}, oneLow.slew = {1, 0};
    add("H232Low", FT_DEVICE_232H, all, oneLow);
    Settings oneHigh = high(40);
    oneHigh.channelAMode = oracle::kFastSerial;
    add("H232High", FT_DEVICE_232H, {64, 256}, oneHigh);
    Settings oneFifo = oneText;
    oneFifo.channelAMode = oracle::kFifo245;
    add("H232Fifo", FT_DEVICE_232H, {128}, oneFifo);

    // The X series: libftdi writes 4 mA on both groups, no pull-down bit, and the
    // driver's byte as the factory has it; groups it reads back.
    Settings xs = reference;
    xs.productId = 0x6015, xs.invert = 0x5A, xs.cbus = {9, 2, 1, 5, 13, 17, 21};
    add("XReference", FT_DEVICE_X_SERIES, {128}, xs);
    Settings xLow = low;
    xLow.invert = 0xA5, xLow.notPnp = 1, xLow.cbus = {21, 20, 19, 18, 0, 8, 4};
    add("XLow", FT_DEVICE_X_SERIES, {128}, xLow);
    add("XHigh", FT_DEVICE_X_SERIES, {128}, high(42));
    Settings xGroups = oneText;
    xGroups.drive = {3, 1}, xGroups.schmitt = {1, 0}, xGroups.slew = {0, 1}, xGroups.pullDowns = 1;
    add("XGroups", FT_DEVICE_X_SERIES, {128}, xGroups, kLibftdiReads);
    add("XOwnSettings", FT_DEVICE_X_SERIES, {128}, oneText, kRoundTrip, [](auto &e) {
        FT_EEPROM_X_SERIES &x = e.xSeries;
        x.BCDEnable = x.BCDDisableSleep = x.FT1248Lsb = x.PowerSaveEnable = 1;
        x.I2CSlaveAddress = 0x7F, x.I2CDeviceId = 0xFEDCBA98, x.DriverType = FT_DRIVER_TYPE_D2XX;
    });
    add("XOtherSettings", FT_DEVICE_X_SERIES, {128}, xLow, kRoundTrip, [](auto &e) {
        FT_EEPROM_X_SERIES &x = e.xSeries;
        x.BCDForceCbusPWREN = x.RS485EchoSuppress = x.FT1248Cpol = x.FT1248FlowControl = x.I2CDisableSchmitt =
            1;
        x.I2CSlaveAddress = 0x22, x.I2CDeviceId = 0x00012345;
    });
    return out;
}

void setByte(Image &image, size_t at, uint8_t value) {
    uint16_t &w = image[at / 2];
    w = at % 2 ? uint16_t((w & 0x00FF) | value << 8) : uint16_t((w & 0xFF00) | value);
}

class Codec : public ::testing::TestWithParam<Row> {};

// Where a chip's strings start on a 93C46 (past 0x80 on the larger parts).
size_t stringsStart(uint32_t chip, size_t words) {
    const size_t header = chip == FT_DEVICE_2232C                                ? 0x16
                          : chip == FT_DEVICE_232R                               ? 0x18
                          : chip == FT_DEVICE_2232H || chip == FT_DEVICE_4232H   ? 0x1A
                          : chip == FT_DEVICE_232H || chip == FT_DEVICE_X_SERIES ? 0x20
                                                                                 : 0x14;
    return words == 64 ? header : header + 0x80;
}

bool keeps(const Image &image, size_t from, size_t to, uint16_t value) {
    return std::all_of(image.begin() + from, image.begin() + to, [&](uint16_t w) { return w == value; });
}

TEST_P(Codec, RoundTripAndLibftdiBothWays) {
    const Row &row = GetParam();
    EepromContents want = contentsFor(row.chip, row.s);
    if (row.ours) row.ours(want);
    const size_t words = configWords(row.chip, row.words);
    const bool x = row.chip == FT_DEVICE_X_SERIES;
    Image ours(row.words, 0x1234);
    ASSERT_EQ(FT_OK, encode(row.chip, want, ours));
    EXPECT_TRUE(keeps(ours, words, ours.size(), 0x1234))
        << "words past the configuration area keep their values";
    if (x) {
        EXPECT_TRUE(keeps(ours, 0x12, 0x50, 0x1234)) << "the X series' user and factory areas are kept";
    }
    EepromContents got;
    ASSERT_EQ(FT_OK, decode(row.chip, ours, got));
    expectSame(row.chip, want, got);
    if (row.check == kRoundTrip) return;

    std::string error;
    const auto fromOurs = oracle::decode(row.chip, ours, error);
    ASSERT_TRUE(fromOurs) << error;
    EXPECT_EQ(common(row.s), common(*fromOurs));
    EXPECT_EQ(ownDecoded(row.chip, row.s), ownDecoded(row.chip, *fromOurs));  // the rest: word for word below
    if (row.check == kLibftdiReads) return;

    auto theirs = oracle::build(row.chip, row.words, row.s, error);
    ASSERT_TRUE(theirs) << error;
    if (x) std::copy(ours.begin() + 0x12, ours.begin() + 0x50, theirs->begin() + 0x12);
    (*theirs)[words - 1] = chipChecksum(row.chip, *theirs, words);  // see oracle::build on the X series
    // libftdi writes no PnP bytes on the AM and BM (without them PnP reads 1) and
    // never sets the BM's pull-down bit.
    const bool pnpBytes = row.chip != FT_DEVICE_AM && row.chip != FT_DEVICE_BM;
    EepromContents wantTheirs = want;
    wantTheirs.fields.PnP = pnpBytes ? want.fields.PnP : 1;
    wantTheirs.fields.PullDownEnable = 0;
    ASSERT_EQ(FT_OK, decode(row.chip, *theirs, got));
    expectSame(row.chip, wantTheirs, got);

    const size_t stringsEnd = stringsStart(row.chip, words) + 6 +
                              2 * (row.s.manufacturer.size() + row.s.product.size() + row.s.serial.size());
    const size_t used = stringsEnd + (pnpBytes ? 3 : 0);
    uint32_t userArea = 0;
    ASSERT_EQ(FT_OK, userAreaSize(row.chip, *theirs, userArea));
    EXPECT_EQ(2 * (words - 1) - (used + used % 2), userArea);

    // Word for word, once our PnP bytes and the BM's pull-down bit are added to theirs.
    if (!pnpBytes) {
        setByte(*theirs, stringsEnd, 0x02), setByte(*theirs, stringsEnd + 1, 0x03);
        setByte(*theirs, stringsEnd + 2, uint8_t(row.s.notPnp));
    }
    if (row.chip == FT_DEVICE_BM && row.s.pullDowns) (*theirs)[5] |= 0x04;
    (*theirs)[words - 1] = chipChecksum(row.chip, *theirs, words);
    for (size_t i = 0; i < words; ++i) EXPECT_EQ((*theirs)[i], ours[i]) << "word " << i;
}

INSTANTIATE_TEST_SUITE_P(Codec, Codec, ::testing::ValuesIn(rows()),
                         [](const auto &info) { return info.param.name; });

// The FT232BM image libftdi builds for the reference values, byte for byte.
TEST(CodecReferenceImage, IsWhatLibftdiBuildsAndDecodesEveryField) {
    const std::string hex =
        "0000030401600004802d08000002940a9e1cba120a0346005400440049001c03"
        "55005300420020004600540044004900200070006f0072007400120351005600"
        "300030003000300030003100";  // then zeros up to the checksum word
    Image image(64, 0);
    for (size_t i = 0; i < hex.size() / 2; ++i)
        setByte(image, i, uint8_t(std::stoi(hex.substr(2 * i, 2), 0, 16)));
    image[63] = 0x6518;
    std::string error;
    EXPECT_EQ(oracle::build(FT_DEVICE_BM, 64, reference, error), image) << error;

    EepromContents want;
    want.fields.VendorId = 0x0403, want.fields.ProductId = 0x6001, want.fields.MaxPower = 90;
    want.fields.PnP = 1;  // no PnP bytes follow the serial descriptor
    want.fields.Rev4 = 1, want.fields.SerNumEnable = 1, want.fields.USBVersion = 0x0200;
    want.manufacturer = "FTDI", want.description = "USB FTDI port", want.serialNumber = "QV000001";
    EepromContents got;
    ASSERT_EQ(FT_OK, decode(FT_DEVICE_BM, image, got));
    expectSame(FT_DEVICE_BM, want, got);
    // The serial descriptor ends at byte 0x4C; words 0x26..0x3E are the user area.
    uint32_t userArea = 0;
    ASSERT_EQ(FT_OK, userAreaSize(FT_DEVICE_BM, image, userArea));
    EXPECT_EQ(50u, userArea);
}

}  // namespace
}  // namespace kestrom::d2xx
