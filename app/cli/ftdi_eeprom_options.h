// The options of the configuration files of libftdi1's ftdi_eeprom (1.5, and a few
// of its older versions), as one table: how each is read, and the record field it
// sets on each chip, if any. An option no chip's field takes is still read, so
// that a file the tool accepts is accepted, and is named as ignored. A chip joins
// by adding its targets to the options it has fields for.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

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
    Inverted,     // a flag that holds the opposite
    ChannelMode,  // a channel type: the FT2232C channel's three mode flags ("IFA", "IFB")
};

// Every chip whose table has the field.
inline constexpr uint32_t kEveryChip = 0xFFFFFFFF;

struct OptionTarget {
    uint32_t chip;  // a D2XX device type, or kEveryChip
    const char *field;
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

// The mode flags of an FT2232C channel, "IFA" or "IFB": FIFO, CPU FIFO target and
// fast (opto-isolated) serial, with the channel type each stands for.
struct ChannelModeField {
    QString field;
    long channelType;
};
std::vector<ChannelModeField> channelModeFields(const char *channel);
// The channel types the FT2232C has (UART and the three above).
bool ft2232cChannelType(long channelType);

}  // namespace kestrom::cli
