// The options of the configuration files of libftdi1's ftdi_eeprom (1.5, and a few
// of its older versions), as one table: how each is read, and the setting it sets
// on each chip, if any, by the name of the chip's table (chip_settings.h). An
// option no chip's setting takes is still read, so that a file the tool accepts is
// accepted, and is named as ignored. A chip joins by adding its targets to the
// options it has settings for.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "chip_settings.h"

namespace kestrom::cli {

enum class OptionKind {
    Number,  // an integer, decimal or 0x hexadecimal
    Flag,    // true / false (and the other spellings libconfuse takes)
    Text,    // a string
    Choice,  // one of the option's names, which stands for its number
};

// A name a Choice option takes and the number the tool gives it.
struct OptionChoice {
    const char *name;
    long value;
};

// How the option's value becomes what its field holds.
enum class Conversion {
    Same,
    Inverted,      // a flag that holds the opposite
    ChannelMode,   // a channel type: the mode flags of the channel the field names ("IFA", "A", "")
    DriveCurrent,  // the tool's drive level 0-3: 4, 8, 12 or 16 mA
};

// Every chip whose table has the field.
inline constexpr uint32_t kEveryChip = 0xFFFFFFFF;

struct OptionTarget {
    uint32_t chip;      // a D2XX device type, or kEveryChip
    const char *field;  // a setting's name; for ChannelMode the prefix of the channel's mode flags
    Conversion conversion = Conversion::Same;
};

struct FtdiEepromOptionSpec {
    const char *name;
    OptionKind kind;
    std::span<const OptionChoice> choices = {};
    bool anyCase = false;  // the choices are matched whatever their case
    std::vector<OptionTarget> targets = {};
};

// Every option, in the tool's order.
std::span<const FtdiEepromOptionSpec> ftdiEepromOptions();
// An option by its name (as the tool spells it); null when there is none.
const FtdiEepromOptionSpec *findFtdiEepromOption(const QString &name);
// The name of a Choice option's number (the first, where it has more).
QString choiceName(const FtdiEepromOptionSpec &option, long value);

// The names a Choice option takes besides the tool's own: those of the setting it
// sets, as templates write them (DRIVE_1 for the tool's DRIVE1).
std::span<const eeprom::NamedValue> settingNames(const FtdiEepromOptionSpec &option);

// A channel type and the mode flag that stands for it after the channel's prefix
// (FIFO: IFAIsFifo, AIsFifo, IsFifo). A UART channel has none of them set.
struct ChannelMode {
    long channelType;
    const char *flag;
};
inline constexpr long kUartChannel = 0;
std::span<const ChannelMode> channelModes();

}  // namespace kestrom::cli
