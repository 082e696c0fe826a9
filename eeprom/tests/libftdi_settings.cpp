#include "libftdi_settings.h"

#include <ftdi.h>

#include <map>

#include "eeprom_codec.h"
#include "ftdi_oracle.h"

namespace kestrom::eeprom::oracle {
namespace {

// How one of libftdi's numbers carries the setting.
enum class Way {
    Number,   // as it is
    Flag,     // `arg` when set, 0 when clear
    NotFlag,  // 0 when set, `arg` when clear
    Bit,      // bit mask `arg` of the number
    Drive,    // 0-3 for 4-16 mA
    Mode,     // the channel's mode is `arg`
    Text,     // libftdi's text `arg`: 0 manufacturer, 1 product, 2 serial
};

struct Said {
    std::string setting;
    int name;  // enum ftdi_eeprom_value
    Way way;
    int arg = 1;
    Reach reach = Reach::Both;
};

struct Unsaid {
    const char *setting;
    const char *why;
};

struct Chip {
    uint32_t type;
    std::vector<Said> said;
    std::vector<Unsaid> unsaid;
};

// The header every chip has.
std::vector<Said> common(std::initializer_list<Said> own) {
    std::vector<Said> out{
        {"VendorId", VENDOR_ID, Way::Number},     {"ProductId", PRODUCT_ID, Way::Number},
        {"Manufacturer", 0, Way::Text, 0},        {"Description", 0, Way::Text, 1},
        {"SerialNumber", 0, Way::Text, 2},        {"MaxPower", MAX_POWER, Way::Number},
        {"SelfPowered", SELF_POWERED, Way::Flag}, {"RemoteWakeup", REMOTE_WAKEUP, Way::Flag}};
    out.insert(out.end(), own);
    return out;
}

// A pin group's drive, Schmitt inputs and slew as libftdi numbers its groups.
std::vector<Said> groups(std::initializer_list<std::pair<const char *, int>> named,
                         Reach reach = Reach::Both) {
    std::vector<Said> out;
    for (const auto &[prefix, group] : named) {
        const std::string p = prefix;
        out.push_back({p + "DriveCurrent", GROUP0_DRIVE + 3 * group, Way::Drive, 1, reach});
        out.push_back({p + "SchmittInput", GROUP0_SCHMITT + 3 * group, Way::Flag, 1, reach});
        out.push_back({p + "SlowSlew", GROUP0_SLEW + 3 * group, Way::Flag, 1, reach});
    }
    return out;
}

std::vector<Said> joined(std::vector<Said> a, const std::vector<Said> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Pins `from` to `to` (inclusive).
std::vector<Said> cbus(int from, int to, Reach reach = Reach::Both) {
    const char *const names[] = {"Cbus0", "Cbus1", "Cbus2", "Cbus3", "Cbus4",
                                 "Cbus5", "Cbus6", "Cbus7", "Cbus8", "Cbus9"};
    std::vector<Said> out;
    for (int i = from; i <= to; ++i) out.push_back({names[i], CBUS_FUNCTION_0 + i, Way::Number, 1, reach});
    return out;
}

std::vector<Said> inverts() {
    const char *const lines[] = {"InvertTXD", "InvertRXD", "InvertRTS", "InvertCTS",
                                 "InvertDTR", "InvertDSR", "InvertDCD", "InvertRI"};
    std::vector<Said> out;
    for (int i = 0; i < 8; ++i) out.push_back({lines[i], INVERT, Way::Bit, 1 << i});
    return out;
}

// libftdi numbers the channel modes as the EEPROM holds them.
constexpr int kFifo = 1, kFastSerial = 2, kCpuFifo = 4, kFt1248 = 8;

// Each chip's settings as libftdi1 says them, then those it cannot express, each
// with the reason: only these are left out of the oracle.
const std::vector<Chip> &chips() {
    static const std::vector<Chip> all{
        {FT_DEVICE_AM,
         common({}),
         {{"ManufacturerId", "not stored: the serial number's first two characters"},
          {"PnP", "libftdi1 writes no PnP bytes on the AM and BM and never reads them"}}},
        {FT_DEVICE_BM,
         common({{"IsoIn", IN_IS_ISOCHRONOUS, Way::Flag},
                 {"IsoOut", OUT_IS_ISOCHRONOUS, Way::Flag},
                 {"PullDownEnable", SUSPEND_PULL_DOWNS, Way::Flag, 1, Reach::Reads},  // never written on a BM
                 {"SerNumEnable", USE_SERIAL, Way::Flag},
                 {"USBVersionEnable", USE_USB_VERSION, Way::Flag},
                 {"USBVersion", USB_VERSION, Way::Number}}),
         {{"ManufacturerId", "not stored: the serial number's first two characters"},
          {"PnP", "libftdi1 writes no PnP bytes on the AM and BM and never reads them"},
          {"Rev4", "set by the chip itself"}}},
        {FT_DEVICE_2232C,
         common({{"PnP", IS_NOT_PNP, Way::NotFlag, 1, Reach::Builds},  // libftdi1 never reads PnP
                 {"IsoInA", IN_IS_ISOCHRONOUS, Way::Flag},
                 {"IsoOutA", OUT_IS_ISOCHRONOUS, Way::Flag},
                 {"PullDownEnable5", SUSPEND_PULL_DOWNS, Way::Flag},
                 {"SerNumEnable5", USE_SERIAL, Way::Flag},
                 {"USBVersionEnable5", USE_USB_VERSION, Way::Flag},
                 {"USBVersion5", USB_VERSION, Way::Number},
                 {"AIsHighCurrent", HIGH_CURRENT_A, Way::Flag, HIGH_CURRENT_DRIVE},
                 {"BIsHighCurrent", HIGH_CURRENT_B, Way::Flag, HIGH_CURRENT_DRIVE},
                 {"IFAIsFifo", CHANNEL_A_TYPE, Way::Mode, kFifo},
                 {"IFAIsFifoTar", CHANNEL_A_TYPE, Way::Mode, kCpuFifo},
                 {"IFAIsFastSer", CHANNEL_A_TYPE, Way::Mode, kFastSerial},
                 {"AIsVCP", CHANNEL_A_DRIVER, Way::Flag, DRIVER_VCP},
                 {"IFBIsFifo", CHANNEL_B_TYPE, Way::Mode, kFifo},
                 {"IFBIsFifoTar", CHANNEL_B_TYPE, Way::Mode, kCpuFifo},
                 {"IFBIsFastSer", CHANNEL_B_TYPE, Way::Mode, kFastSerial},
                 {"BIsVCP", CHANNEL_B_DRIVER, Way::Flag, DRIVER_VCP}}),
         {{"ManufacturerId", "not stored: the serial number's first two characters"},
          {"Rev5", "set by the chip itself"},
          {"IsoInB", "libftdi1 has one isochronous flag each way, channel A's"},
          {"IsoOutB", "libftdi1 has one isochronous flag each way, channel A's"}}},
        {FT_DEVICE_232R,
         joined(joined(common({{"PnP", IS_NOT_PNP, Way::NotFlag, 1, Reach::Builds},
                               {"UseExtOsc", EXTERNAL_OSCILLATOR, Way::Flag},
                               {"HighDriveIOs", HIGH_CURRENT, Way::Flag, HIGH_CURRENT_DRIVE_R},
                               {"PullDownEnableR", SUSPEND_PULL_DOWNS, Way::Flag},
                               {"SerNumEnableR", USE_SERIAL, Way::Flag},
                               {"RIsD2XX", CHANNEL_A_DRIVER, Way::NotFlag, DRIVER_VCP}}),
                       inverts()),
                cbus(0, 4)),
         {{"ManufacturerId", "not stored: the serial number's first two characters"},
          {"EndpointSize", "one value only (64)"}}},
        {FT_DEVICE_2232H,
         joined(common({{"SerNumEnable", USE_SERIAL, Way::Flag},
                        {"PullDownEnable", SUSPEND_PULL_DOWNS, Way::Flag},
                        {"AIsFifo", CHANNEL_A_TYPE, Way::Mode, kFifo},
                        {"AIsFifoTar", CHANNEL_A_TYPE, Way::Mode, kCpuFifo},
                        {"AIsFastSer", CHANNEL_A_TYPE, Way::Mode, kFastSerial},
                        {"BIsFifo", CHANNEL_B_TYPE, Way::Mode, kFifo},
                        {"BIsFifoTar", CHANNEL_B_TYPE, Way::Mode, kCpuFifo},
                        {"BIsFastSer", CHANNEL_B_TYPE, Way::Mode, kFastSerial},
                        {"PowerSaveEnable", SUSPEND_DBUS7, Way::Flag},
                        {"ADriverType", CHANNEL_A_DRIVER, Way::Flag, DRIVER_VCP},
                        {"BDriverType", CHANNEL_B_DRIVER, Way::Flag, DRIVER_VCP}}),
                groups({{"AL", 0}, {"AH", 1}, {"BL", 2}, {"BH", 3}})),
         {}},
        {FT_DEVICE_4232H,
         joined(common({{"SerNumEnable", USE_SERIAL, Way::Flag},
                        {"PullDownEnable", SUSPEND_PULL_DOWNS, Way::Flag},
                        {"ADriverType", CHANNEL_A_DRIVER, Way::Flag, DRIVER_VCP},
                        {"BDriverType", CHANNEL_B_DRIVER, Way::Flag, DRIVER_VCP},
                        {"CDriverType", CHANNEL_C_DRIVER, Way::Flag, DRIVER_VCP},
                        {"DDriverType", CHANNEL_D_DRIVER, Way::Flag, DRIVER_VCP},
                        {"ARIIsTXDEN", CHANNEL_A_RS485, Way::Flag},
                        {"BRIIsTXDEN", CHANNEL_B_RS485, Way::Flag},
                        {"CRIIsTXDEN", CHANNEL_C_RS485, Way::Flag},
                        {"DRIIsTXDEN", CHANNEL_D_RS485, Way::Flag}}),
                groups({{"A", 0}, {"B", 1}, {"C", 2}, {"D", 3}})),
         {}},
        {FT_DEVICE_232H,
         joined(joined(common({{"SerNumEnable", USE_SERIAL, Way::Flag},
                               {"PullDownEnable", SUSPEND_PULL_DOWNS, Way::Flag},
                               {"IsFifo", CHANNEL_A_TYPE, Way::Mode, kFifo},
                               {"IsFifoTar", CHANNEL_A_TYPE, Way::Mode, kCpuFifo},
                               {"IsFastSer", CHANNEL_A_TYPE, Way::Mode, kFastSerial},
                               {"IsFT1248", CHANNEL_A_TYPE, Way::Mode, kFt1248},
                               {"FT1248Cpol", CLOCK_POLARITY, Way::Flag},
                               {"FT1248Lsb", DATA_ORDER, Way::Flag},
                               {"FT1248FlowControl", FLOW_CONTROL, Way::Flag},
                               {"PowerSaveEnable", POWER_SAVE, Way::Flag},
                               {"DriverType", CHANNEL_A_DRIVER, Way::Flag, DRIVER_VCP}}),
                       groups({{"AC", 0}, {"AD", 1}})),
                cbus(0, 9)),
         {}},
        // libftdi1 builds an X series' byte 0 as the factory has it (VCP), its byte 0x0A
        // with the serial number only and both pin groups at 4 mA; it reads CBUS0-3 only.
        {FT_DEVICE_X_SERIES,
         joined(
             joined(
                 joined(joined(common({{"SerNumEnable", USE_SERIAL, Way::Flag},
                                       {"PullDownEnable", SUSPEND_PULL_DOWNS, Way::Flag, 1, Reach::Reads}}),
                               groups({{"AD", 0}, {"AC", 1}}, Reach::Reads)),
                        inverts()),
                 cbus(0, 3)),
             cbus(4, 6, Reach::Builds)),
         {{"DriverType", "libftdi1 writes the factory's driver byte whatever it is told and never reads it"},
          {"FT1248Cpol", "libftdi1 has no FT1248 settings on the X series"},
          {"FT1248Lsb", "libftdi1 has no FT1248 settings on the X series"},
          {"FT1248FlowControl", "libftdi1 has no FT1248 settings on the X series"},
          {"PowerSaveEnable", "libftdi1 has no power saving setting on the X series"},
          {"BCDEnable", "libftdi1 has no battery charger settings"},
          {"BCDForceCbusPWREN", "libftdi1 has no battery charger settings"},
          {"BCDDisableSleep", "libftdi1 has no battery charger settings"},
          {"I2CSlaveAddress", "libftdi1 has no I2C settings"},
          {"I2CDeviceId", "libftdi1 has no I2C settings"},
          {"I2CDisableSchmitt", "libftdi1 has no I2C settings"},
          {"RS485EchoSuppress", "libftdi1 has no RS485 echo suppression"}}},
    };
    return all;
}

const Chip *chipOf(uint32_t type) {
    for (const Chip &chip : chips())
        if (chip.type == type) return &chip;
    return nullptr;
}

const Said *saidOf(uint32_t chip, const Setting &setting) {
    const Chip *c = chipOf(chip);
    if (c == nullptr) return nullptr;
    for (const Said &said : c->said)
        if (said.setting == setting.name) return &said;
    return nullptr;
}

int toLibftdi(const Said &said, uint32_t value, int current) {
    const int arg = said.arg;
    switch (said.way) {
        case Way::Number:
            return static_cast<int>(value);
        case Way::Flag:
            return value ? arg : 0;
        case Way::NotFlag:
            return value ? 0 : arg;
        case Way::Bit:
            return value ? current | arg : current & ~arg;
        case Way::Drive:
            return static_cast<int>(value / 4) - 1;
        case Way::Mode:
            return value ? arg : current == arg ? 0 : current;
        case Way::Text:
            return 0;
    }
    return 0;
}

uint32_t fromLibftdi(const Said &said, int number) {
    switch (said.way) {
        case Way::Number:
            return static_cast<uint32_t>(number);
        case Way::Flag:
            return number != 0;
        case Way::NotFlag:
            return number == 0;
        case Way::Bit:
            return (number & said.arg) != 0;
        case Way::Drive:
            return static_cast<uint32_t>(4 * (number + 1));
        case Way::Mode:
            return number == said.arg;
        case Way::Text:
            return 0;
    }
    return 0;
}

std::string &textOf(d2xx::oracle::Texts &texts, int which) {
    return which == 0 ? texts.manufacturer : which == 1 ? texts.product : texts.serial;
}

}  // namespace

std::optional<Reach> reach(uint32_t chip, const Setting &setting, std::string &why) {
    if (const Said *said = saidOf(chip, setting)) return said->reach;
    why = "not known to libftdi1";
    if (const Chip *c = chipOf(chip)) {
        for (const Unsaid &u : c->unsaid)
            if (std::string_view(u.setting) == setting.name) why = u.why;
    }
    return std::nullopt;
}

std::vector<std::string> unknownNames(uint32_t chip) {
    std::vector<std::string> out;
    if (const Chip *c = chipOf(chip)) {
        for (const Unsaid &u : c->unsaid)
            if (findSetting(chip, u.setting) == nullptr) out.emplace_back(u.setting);
        for (const Said &s : c->said)
            if (findSetting(chip, s.setting) == nullptr) out.push_back(s.setting);
    }
    return out;
}

std::optional<d2xx::Image> buildWith(uint32_t chip, size_t words, std::span<const Change> changes,
                                     std::string &error) {
    d2xx::oracle::Texts texts{"Maker", "Board", "SN000001"};
    std::map<int, int> numbers;
    for (const Change &change : changes) {
        const Said *said = saidOf(chip, *change.setting);
        if (said == nullptr || !reaches(said->reach, Reach::Builds)) {
            error = std::string("libftdi1 does not build ") + change.setting->name;
            return std::nullopt;
        }
        if (said->way == Way::Text) {
            textOf(texts, said->arg) = change.value.text;
        } else {
            numbers[said->name] = toLibftdi(*said, change.value.number, numbers[said->name]);
        }
    }
    std::vector<d2xx::oracle::Assignment> values;
    for (const auto &[name, value] : numbers) values.push_back({name, value});
    std::optional<d2xx::Image> image = d2xx::oracle::buildValues(chip, words, texts, values, error);
    if (image) {
        const size_t config = d2xx::configWords(chip, words);
        (*image)[config - 1] = d2xx::chipChecksum(chip, *image, config);
    }
    return image;
}

std::optional<std::vector<Change>> readBy(uint32_t chip, std::span<const uint16_t> image,
                                          std::string &error) {
    std::optional<d2xx::oracle::Decoded> decoded = d2xx::oracle::decodeValues(chip, image, error);
    const Chip *c = chipOf(chip);
    if (!decoded || c == nullptr) return std::nullopt;
    std::vector<Change> out;
    for (const Said &said : c->said) {
        if (!reaches(said.reach, Reach::Reads)) continue;
        const Setting *setting = findSetting(chip, said.setting);
        if (setting == nullptr) continue;
        Value value;
        if (said.way == Way::Text) {
            value.text = textOf(decoded->texts, said.arg);
        } else {
            value.number = fromLibftdi(said, decoded->values[said.name]);
        }
        out.push_back({setting, value});
    }
    return out;
}

}  // namespace kestrom::eeprom::oracle
