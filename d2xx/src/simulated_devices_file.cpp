#include "simulated_devices_file.h"

#include <ini.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <memory>
#include <utility>

#include "once_messages.h"

namespace kestrom::d2xx {
namespace {

struct Entry {
    std::string key;  // as written
    std::string value;
    int line = 0;

    // The entry named in a complaint about it, with the reason.
    std::string ignored(const std::string &why) const { return key + " = " + value + " ignored; " + why; }
};

// A section as inih hands it over: keys lower-cased, the last of a repeated key wins.
struct RawSection {
    std::string name;
    std::map<std::string, Entry> values;
};

// What the parse collects: the sections, and what it found wrong on which line.
struct Parse {
    std::FILE *file = nullptr;
    int line = 0;  // of the line inih works on
    std::vector<RawSection> sections;
    std::vector<std::pair<int, std::string>> problems;
};

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Decimal, or hexadecimal after 0x; nothing else, and nothing past 32 bits.
std::optional<uint32_t> parseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<uint32_t> parseChip(std::string_view text) {
    static const std::pair<const char *, uint32_t> names[] = {
        {"am", FT_DEVICE_AM},       {"bm", FT_DEVICE_BM},     {"100ax", FT_DEVICE_100AX},
        {"2232c", FT_DEVICE_2232C}, {"232r", FT_DEVICE_232R}, {"unknown", FT_DEVICE_UNKNOWN},
        {"2232h", FT_DEVICE_2232H}, {"4232h", FT_DEVICE_4232H}, {"232h", FT_DEVICE_232H},
        {"x", FT_DEVICE_X_SERIES},
    };
    const std::string name = lowered(text);
    for (const auto &[known, type] : names) {
        if (name == known) return type;
    }
    return parseNumber(text);
}

std::optional<bool> parseSwitch(std::string_view text) {
    const std::string value = lowered(text);
    if (value == "1" || value == "yes" || value == "true" || value == "on") return true;
    if (value == "0" || value == "no" || value == "false" || value == "off") return false;
    return std::nullopt;
}

// Section names become part of a file name: keep only the harmless characters.
std::string fileNamePart(std::string_view section) {
    std::string out(section);
    for (char &c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '-' && c != '_' && c != '.') c = '_';
    }
    return out;
}

// Reads one whole line, as fgets would, keeping what fits and dropping the rest, so
// that every call is one line of the file and the count stays right.
char *readLine(char *buffer, int size, void *stream) noexcept {
    auto &parse = *static_cast<Parse *>(stream);
    int c = std::fgetc(parse.file);
    if (c == EOF || size < 2) return nullptr;
    int length = 0;
    for (; c != EOF && c != '\n'; c = std::fgetc(parse.file)) {
        if (length < size - 2) buffer[length++] = static_cast<char>(c);
    }
    buffer[length++] = '\n';  // always ends the line, so inih never asks for more of it
    buffer[length] = '\0';
    ++parse.line;
    return buffer;
}

// Called from C: nothing may escape.
int collect(void *user, const char *section, const char *name, const char *value) noexcept {
    try {
        auto &parse = *static_cast<Parse *>(user);
        if (*section == '\0') {
            const Entry entry{name, value, parse.line};
            parse.problems.emplace_back(parse.line, entry.ignored("keys belong in a [device] section"));
            return 1;
        }
        // inih reports no section boundaries of its own; a change of name starts a new device.
        auto &sections = parse.sections;
        if (sections.empty() || sections.back().name != section) sections.push_back({section, {}});
        sections.back().values[lowered(name)] = Entry{name, value, parse.line};
        return 1;
    } catch (...) {
        return 0;
    }
}

// The keys a section may hold, what each allows, and how it sets its field.
struct Key {
    const char *name;
    const char *allowed;
    bool (*set)(SimulatedDeviceConfig &config, const std::string &value);
};

template <typename T, typename Field>
bool assign(std::optional<T> parsed, Field &field) {
    if (parsed) field = *parsed;
    return parsed.has_value();
}

constexpr const char *kSwitch = "1 or 0 (also yes/no, true/false, on/off)";
constexpr const char *kText = "any text";

const Key kKeys[] = {
    {"chip", "AM, BM, 100AX, 2232C, 232R, 2232H, 4232H, 232H, X, UNKNOWN or a D2XX device type number",
     [](SimulatedDeviceConfig &c, const std::string &v) { return assign(parseChip(v), c.chipType); }},
    {"present", kSwitch,
     [](SimulatedDeviceConfig &c, const std::string &v) { return assign(parseSwitch(v), c.present); }},
    {"eeprom", "the image file's name, relative to the devices file",
     [](SimulatedDeviceConfig &c, const std::string &v) { return assign(std::optional(v), c.imagePath); }},
    {"eeprom_words", "64, 128 or 256",
     [](SimulatedDeviceConfig &c, const std::string &v) {
         const auto words = parseNumber(v);
         return (words == 64u || words == 128u || words == 256u) && assign(words, c.eepromWords);
     }},
    {"eeprom_present", kSwitch,
     [](SimulatedDeviceConfig &c, const std::string &v) { return assign(parseSwitch(v), c.eepromPresent); }},
    {"write_protect", kSwitch,
     [](SimulatedDeviceConfig &c, const std::string &v) { return assign(parseSwitch(v), c.writeProtect); }},
    {"id", "VID << 16 | PID as a number, e.g. 0x04036001",
     [](SimulatedDeviceConfig &c, const std::string &v) { return assign(parseNumber(v), c.id); }},
    {"serial", kText,
     [](SimulatedDeviceConfig &c, const std::string &v) { return assign(std::optional(v), c.serialNumber); }},
    {"description", kText,
     [](SimulatedDeviceConfig &c, const std::string &v) { return assign(std::optional(v), c.description); }},
};

// The D2XX calls a device can be made to fail.
constexpr const char *kCalls[] = {"FT_Open",    "FT_Close",      "FT_ListDevices", "FT_GetDeviceInfo",
                                  "FT_EE_Read", "FT_EE_Program", "FT_EraseEE",     "FT_EE_UASize",
                                  "FT_ReadEE",  "FT_WriteEE"};

const char *knownCall(std::string_view lowerName) {
    for (const char *call : kCalls) {
        if (lowered(call) == lowerName) return call;
    }
    return nullptr;
}

// The calls that write words, and so have a middle to lose power in.
bool writes(std::string_view call) {
    return call == "FT_EE_Program" || call == "FT_EraseEE" || call == "FT_WriteEE";
}

std::optional<CallMoment> parseMoment(std::string_view text, std::string_view call) {
    const std::string moment = lowered(text);
    if (moment == "before") return CallMoment::Before;
    if (moment == "during" && writes(call)) return CallMoment::During;
    if (moment == "after") return CallMoment::After;
    return std::nullopt;
}

std::string listed(const auto &names, auto name) {
    std::string out;
    for (const auto &item : names) out += (out.empty() ? "" : ", ") + std::string(name(item));
    return out;
}

class Interpreter {
public:
    Interpreter(const std::filesystem::path &file, std::vector<std::pair<int, std::string>> &problems)
        : file_(file), problems_(problems) {}

    SimulatedDeviceConfig operator()(const RawSection &raw) {
        SimulatedDeviceConfig config;
        config.section = raw.name;
        for (const auto &[key, entry] : raw.values) take(config, key, entry);
        if (config.chipType == FT_DEVICE_232R && config.eepromWords != 64) {
            const Entry &words = raw.values.at("eeprom_words");
            refuse(words, "the FT232R has its 64-word internal area");
            config.eepromWords = 64;
        }
        if (config.chipType == FT_DEVICE_X_SERIES && config.eepromWords != 128) {
            if (raw.values.count("eeprom_words") != 0)
                refuse(raw.values.at("eeprom_words"), "the X series has its 128-word internal memory");
            config.eepromWords = 128;
        }
        // Without an eeprom key the image still needs a home, so that writes last:
        // "<devices file stem>-<section>.bin" beside the devices file.
        const std::filesystem::path folder = file_.parent_path();
        config.imagePath = config.imagePath.empty()
                               ? folder / (file_.stem().string() + "-" + fileNamePart(raw.name) + ".bin")
                               : folder / config.imagePath;
        return config;
    }

private:
    void take(SimulatedDeviceConfig &config, const std::string &key, const Entry &entry) {
        for (const Key &known : kKeys) {
            if (key != known.name) continue;
            if (!known.set(config, entry.value)) refuse(entry, std::string("allowed: ") + known.allowed);
            return;
        }
        constexpr std::string_view failPrefix = "fail.";
        if (key.starts_with(failPrefix)) {
            if (!call(entry, key.substr(failPrefix.size()))) return;
            const auto status = parseNumber(entry.value);
            if (!status) return refuse(entry, "allowed: a D2XX status number, 0 for none");
            if (*status != FT_OK) config.failures[key.substr(failPrefix.size())] = *status;
            return;
        }
        constexpr std::string_view crashPrefix = "crash.";
        if (key.starts_with(crashPrefix)) {
            const char *known = call(entry, key.substr(crashPrefix.size()));
            if (known == nullptr) return;
            const auto moment = parseMoment(entry.value, known);
            if (!moment) {
                return refuse(entry, writes(known)
                                         ? "allowed: before, during or after"
                                         : "allowed: before or after (during is for a call that writes)");
            }
            config.powerCuts[key.substr(crashPrefix.size())] = *moment;
            return;
        }
        constexpr std::string_view delayPrefix = "delay.";
        if (key.starts_with(delayPrefix)) {
            if (!call(entry, key.substr(delayPrefix.size()))) return;
            const auto milliseconds = parseNumber(entry.value);
            if (!milliseconds || *milliseconds > kLongestDelay) {
                return refuse(entry, "allowed: milliseconds, 0 to 60000");
            }
            config.delays[key.substr(delayPrefix.size())] = *milliseconds;
            return;
        }
        refuse(entry, "unknown key; the keys are " + listed(kKeys, [](const Key &k) { return k.name; }) +
                          ", fail.<call>, crash.<call>, delay.<call>");
    }

    static constexpr uint32_t kLongestDelay = 60000;

    // The call a fail., crash. or delay. key names; a complaint when there is none such.
    const char *call(const Entry &entry, std::string_view lowerName) {
        const char *known = knownCall(lowerName);
        if (known == nullptr) {
            refuse(entry, "no such call; the calls are " + listed(kCalls, [](const char *c) { return c; }));
        }
        return known;
    }

    void refuse(const Entry &entry, const std::string &why) {
        problems_.emplace_back(entry.line, entry.ignored(why));
    }

    const std::filesystem::path &file_;
    std::vector<std::pair<int, std::string>> &problems_;
};

}  // namespace

std::optional<FT_STATUS> SimulatedDeviceConfig::failure(std::string_view call) const {
    const auto it = failures.find(lowered(call));
    if (it == failures.end()) return std::nullopt;
    return it->second;
}

bool SimulatedDeviceConfig::powerCut(std::string_view call, CallMoment moment) const {
    const auto it = powerCuts.find(lowered(call));
    return it != powerCuts.end() && it->second == moment;
}

uint32_t SimulatedDeviceConfig::delay(std::string_view call) const {
    const auto it = delays.find(lowered(call));
    return it == delays.end() ? 0 : it->second;
}

std::vector<SimulatedDeviceConfig> readDevicesFile(const std::filesystem::path &file) {
    std::unique_ptr<FILE, int (*)(FILE *)> stream(std::fopen(file.c_str(), "r"), &std::fclose);
    if (!stream) return {};
    Parse parse;
    parse.file = stream.get();
    // A positive result names the first line inih could not parse; the rest still counts.
    const int firstError = ini_parse_stream(&readLine, &parse, &collect, &parse);
    if (firstError < 0) return {};
    if (firstError > 0)
        parse.problems.emplace_back(firstError, "not a [section] or key = value line; ignored");

    std::vector<SimulatedDeviceConfig> devices;
    devices.reserve(parse.sections.size());
    Interpreter interpret(file, parse.problems);
    for (const auto &raw : parse.sections) devices.push_back(interpret(raw));

    std::sort(parse.problems.begin(), parse.problems.end());
    for (const auto &[line, what] : parse.problems) {
        sayOnce(file.string() + " line " + std::to_string(line) + ": " + what);
    }
    return devices;
}

}  // namespace kestrom::d2xx
