// Every setting each chip's EEPROM holds, one table per chip: the setting's name,
// what it means for people, its kind, the values it allows (per pin where pins
// differ) and how it reads and sets decoded contents. The command line's show,
// JSON and templates, the ftdi_eeprom import and the window's chip editor are all
// views of these tables, so they cannot disagree.
//
// Names: the FT8U232AM, FT232BM, FT2232C and FT232R keep the program-data record's
// field names; the FT2232H, FT4232H, FT232H and X series use the member names of
// their D2XX structures (FT_EEPROM_2232H ...) and of the structures' header, plus
// Manufacturer, Description and SerialNumber.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "eeprom_codec.h"

namespace kestrom::eeprom {

using d2xx::EepromContents;

enum class SettingKind {
    Hex,      // a number written in hexadecimal: IDs, BCD versions, I2C address
    Decimal,  // a number written in decimal: milliamperes, bytes
    Flag,     // 0 or 1
    Text,     // UTF-8 text
    Choice,   // one of a few named values (a CBUS function, a driver); its number is taken too
};

// What a number must be besides lying between the setting's least and greatest value.
enum class NumberRule { Any, Even, Bcd, DriveCurrent };

struct NamedValue {
    uint32_t value;
    const char *name;  // the D2XX constant's name without its prefix: TXLED, VCP
};

struct Setting {
    const char *name;
    const char *meaning;  // for people: "USB vendor ID"
    SettingKind kind;
    uint32_t least = 0;
    uint32_t greatest = 0;  // texts: bytes of UTF-8 at most
    NumberRule rule = NumberRule::Any;
    // Choices: the names of the kind's values, and bit v set for each value v this
    // setting takes (an FT232H's ACBUS0 has no IOMODE).
    std::span<const NamedValue> names;
    uint32_t allowed = 0xFFFFFFFF;
    // Set by the chip itself (Rev4, Rev5): shown, and a template may only repeat it.
    bool chipFixed = false;
    uint32_t (*number)(const EepromContents &) = nullptr;
    void (*setNumber)(EepromContents &, uint32_t) = nullptr;
    std::string (*text)(const EepromContents &) = nullptr;
    // Null for a text the EEPROM does not store (ManufacturerId).
    void (*setText)(EepromContents &, std::string_view) = nullptr;

    bool settable() const { return setNumber != nullptr || setText != nullptr; }
};

// A setting's value: a number, or for a text setting the text.
struct Value {
    uint32_t number = 0;
    std::string text;
    bool operator==(const Value &) const = default;
};

struct ChipTable {
    uint32_t type;          // the D2XX device type
    const char *name;       // "FT232H", as a template's chip line names it
    const char *shortName;  // "232H", also taken
    std::vector<const Setting *> settings;
    // Groups of flags of which one at most may be set (the modes of one channel).
    std::vector<std::vector<const Setting *>> oneOf;
    // The chip's settings go beyond the program-data record: they are read and
    // programmed through its D2XX structure (FT_EEPROM_Read, FT_EEPROM_Program).
    bool ownStructure = false;
};

// Every chip whose EEPROM layout Kestrom knows, by device type.
std::span<const ChipTable> chipTables();
// Null for a chip whose layout Kestrom does not know.
const ChipTable *chipTable(uint32_t chipType);
// The chip's settings in its structure's (or record's) order; empty for an unknown one.
std::span<const Setting *const> chipSettings(uint32_t chipType);
// What every chip has (IDs, texts, power): all that is shown of a chip without a table.
std::span<const Setting *const> commonSettings();
// A setting of the chip by name (any case); null when the chip has none of that name.
const Setting *findSetting(uint32_t chipType, std::string_view name);
// The first chip's setting of that name, in the order of chipTables(); null when no chip has it.
const Setting *findAnySetting(std::string_view name);
// The chip type a name means ("FT232H", also "232H"; any case).
std::optional<uint32_t> chipByName(std::string_view name);

Value settingValue(const Setting &setting, const EepromContents &contents);
void setSettingValue(const Setting &setting, EepromContents &contents, const Value &value);

// The value as people write it: 0x0403, 90, 1, the text itself, TXLED; a choice
// without a name (a value only a damaged EEPROM holds) as its number.
std::string formatSettingValue(const Setting &setting, const Value &value);
// The name of a choice's value, or nothing.
const char *choiceName(const Setting &setting, uint32_t value);
// The values a setting allows, for comments and messages: "0x0001-0xFFFF", "4, 8, 12 or 16".
std::string allowedSettingValues(const Setting &setting);
// Why a value does not suit the setting; empty when it does.
std::string settingValueProblem(const Setting &setting, const Value &value);
// Reads a value as written (a text as it stands, a flag also true/false, a choice
// by name or number); nothing, with the reason in `problem`, for one not allowed.
std::optional<Value> parseSettingValue(const Setting &setting, std::string_view written,
                                       std::string &problem);

// The groups of the chip's one-at-most flags that `contents` sets more than one of,
// each as the settings that are set.
std::vector<std::vector<const Setting *>> modeConflicts(uint32_t chipType, const EepromContents &contents);

}  // namespace kestrom::eeprom
