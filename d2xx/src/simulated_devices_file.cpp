#include "simulated_devices_file.h"

#include <ini.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <memory>
#include <utility>

namespace kestrom::d2xx {
namespace {

// A section as inih hands it over: keys lower-cased, the last of a repeated key wins.
struct RawSection {
    std::string name;
    std::map<std::string, std::string> values;
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

uint32_t parseChip(std::string_view text) {
    static const std::pair<const char *, uint32_t> names[] = {
        {"am", FT_DEVICE_AM},       {"bm", FT_DEVICE_BM},     {"100ax", FT_DEVICE_100AX},
        {"2232c", FT_DEVICE_2232C}, {"232r", FT_DEVICE_232R}, {"unknown", FT_DEVICE_UNKNOWN},
    };
    const std::string name = lowered(text);
    for (const auto &[known, type] : names) {
        if (name == known) return type;
    }
    return parseNumber(text).value_or(FT_DEVICE_UNKNOWN);
}

bool parsePresent(std::string_view text) {
    const std::string value = lowered(text);
    return !(value == "0" || value == "no" || value == "false" || value == "off");
}

size_t parseEepromWords(std::string_view text) {
    const auto words = parseNumber(text);
    return words && (*words == 64 || *words == 128 || *words == 256) ? *words : 64;
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

// Called from C: nothing may escape.
int collect(void *user, const char *section, const char *name, const char *value) noexcept {
    try {
        auto &sections = *static_cast<std::vector<RawSection> *>(user);
        if (*section == '\0') return 1;  // keys before any section belong to no device
        // inih reports no section boundaries of its own; a change of name starts a new device.
        if (sections.empty() || sections.back().name != section) sections.push_back({section, {}});
        sections.back().values[lowered(name)] = value;
        return 1;
    } catch (...) {
        return 0;
    }
}

SimulatedDeviceConfig interpret(const RawSection &raw, const std::filesystem::path &file) {
    SimulatedDeviceConfig config;
    config.section = raw.name;
    auto value = [&raw](const char *key) -> const std::string * {
        const auto it = raw.values.find(key);
        return it == raw.values.end() ? nullptr : &it->second;
    };
    if (const auto *chip = value("chip")) config.chipType = parseChip(*chip);
    if (const auto *present = value("present")) config.present = parsePresent(*present);
    if (const auto *words = value("eeprom_words")) config.eepromWords = parseEepromWords(*words);
    if (config.chipType == FT_DEVICE_232R) config.eepromWords = 64;  // its internal area

    // Without an eeprom key the image still needs a home, so that writes last:
    // "<devices file stem>-<section>.bin" beside the devices file.
    const std::filesystem::path folder = file.parent_path();
    if (const auto *eeprom = value("eeprom"); eeprom && !eeprom->empty()) {
        config.imagePath = folder / *eeprom;
    } else {
        config.imagePath = folder / (file.stem().string() + "-" + fileNamePart(raw.name) + ".bin");
    }

    if (const auto *id = value("id")) config.id = parseNumber(*id);
    if (const auto *serial = value("serial")) config.serialNumber = *serial;
    if (const auto *description = value("description")) config.description = *description;

    constexpr std::string_view failPrefix = "fail.";
    for (const auto &[key, text] : raw.values) {
        if (!key.starts_with(failPrefix)) continue;
        const auto status = parseNumber(text);
        if (status && *status != FT_OK) config.failures[key.substr(failPrefix.size())] = *status;
    }
    return config;
}

}  // namespace

std::optional<FT_STATUS> SimulatedDeviceConfig::failure(std::string_view call) const {
    const auto it = failures.find(lowered(call));
    if (it == failures.end()) return std::nullopt;
    return it->second;
}

std::vector<SimulatedDeviceConfig> readDevicesFile(const std::filesystem::path &file) {
    std::unique_ptr<FILE, int (*)(FILE *)> stream(std::fopen(file.c_str(), "r"), &std::fclose);
    if (!stream) return {};
    std::vector<RawSection> sections;
    // A positive result names the first line inih could not parse; the rest still counts.
    if (ini_parse_file(stream.get(), &collect, &sections) < 0) return {};

    std::vector<SimulatedDeviceConfig> devices;
    devices.reserve(sections.size());
    for (const auto &raw : sections) devices.push_back(interpret(raw, file));
    return devices;
}

}  // namespace kestrom::d2xx
