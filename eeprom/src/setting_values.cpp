// A setting's values as people write and read them.
#include <cctype>
#include <charconv>
#include <cstdio>

#include "chip_settings.h"

namespace kestrom::eeprom {

namespace {

using enum SettingKind;

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

// A whole unsigned 32-bit number, decimal or 0x-prefixed hexadecimal.
std::optional<uint32_t> parseNumber(std::string_view written) {
    std::string_view text = trimmed(written);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text.front()))) return std::nullopt;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool isBcd(uint32_t value) {
    for (; value != 0; value >>= 4)
        if ((value & 0xF) > 9) return false;
    return true;
}

std::string hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

int hexDigits(const Setting &s) {
    return s.greatest > 0xFFFF ? 8 : 4;
}

bool choiceAllowed(const Setting &s, uint32_t value) {
    return value < 32 && (s.allowed >> value & 1u) != 0 && choiceName(s, value) != nullptr;
}

bool numberAllowed(const Setting &s, uint32_t value) {
    if (value < s.least || value > s.greatest) return false;
    switch (s.rule) {
        case NumberRule::Even:
            return value % 2 == 0;
        case NumberRule::Bcd:
            return isBcd(value);
        case NumberRule::DriveCurrent:
            return value % 4 == 0;
        case NumberRule::Any:
            return true;
    }
    return true;
}

std::string join(const std::vector<std::string> &parts, std::string_view between) {
    std::string out;
    for (const std::string &part : parts) {
        if (!out.empty()) out += between;
        out += part;
    }
    return out;
}

}  // namespace

Value settingValue(const Setting &setting, const EepromContents &contents) {
    if (setting.kind == Text) return {0, setting.text(contents)};
    const uint32_t number = setting.number(contents);
    return {setting.kind == Flag ? uint32_t(number != 0) : number, {}};
}

void setSettingValue(const Setting &setting, EepromContents &contents, const Value &value) {
    if (setting.kind == Text) {
        setting.setText(contents, value.text);
    } else {
        setting.setNumber(contents, value.number);
    }
}

const char *choiceName(const Setting &setting, uint32_t value) {
    for (const NamedValue &named : setting.names)
        if (named.value == value) return named.name;
    return nullptr;
}

std::string formatSettingValue(const Setting &setting, const Value &value) {
    switch (setting.kind) {
        case Hex:
            return hex(value.number, hexDigits(setting));
        case Decimal:
        case Flag:
            return std::to_string(value.number);
        case Text:
            return value.text;
        case Choice: {
            const char *name = choiceName(setting, value.number);
            return name ? name : std::to_string(value.number);
        }
    }
    return {};
}

std::string allowedSettingValues(const Setting &setting) {
    switch (setting.kind) {
        case Hex: {
            const int digits = hexDigits(setting);
            const std::string range = hex(setting.least, digits) + "-" + hex(setting.greatest, digits);
            return setting.rule == NumberRule::Bcd ? "BCD, " + range : range;
        }
        case Decimal: {
            if (setting.least == setting.greatest) return std::to_string(setting.least);
            if (setting.rule == NumberRule::DriveCurrent) {
                std::vector<std::string> currents;
                for (uint32_t mA = setting.least; mA <= setting.greatest; mA += 4)
                    currents.push_back(std::to_string(mA));
                const std::string last = currents.back();
                currents.pop_back();
                return join(currents, ", ") + " or " + last;
            }
            return std::to_string(setting.least) + "-" + std::to_string(setting.greatest) +
                   (setting.rule == NumberRule::Even ? ", even" : "");
        }
        case Flag:
            return "0 or 1";
        case Choice: {
            std::vector<std::string> names;
            for (const NamedValue &named : setting.names)
                if (choiceAllowed(setting, named.value)) names.emplace_back(named.name);
            return join(names, " ");
        }
        case Text:
            return "at most " + std::to_string(setting.greatest) + " bytes of UTF-8";
    }
    return {};
}

std::string settingValueProblem(const Setting &setting, const Value &value) {
    if (setting.kind == Text) {
        if (value.text.size() > setting.greatest) {
            return std::to_string(value.text.size()) + " bytes, at most " + std::to_string(setting.greatest);
        }
        for (const char c : value.text) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return "a text holds no control characters";
        }
        return {};
    }
    const bool allowed =
        setting.kind == Choice ? choiceAllowed(setting, value.number) : numberAllowed(setting, value.number);
    return allowed ? std::string() : "allowed: " + allowedSettingValues(setting);
}

std::optional<Value> parseSettingValue(const Setting &setting, std::string_view written,
                                       std::string &problem) {
    Value value;
    if (setting.kind == Text) {
        value.text = std::string(written);
    } else {
        const std::string_view text = trimmed(written);
        std::optional<uint32_t> number = parseNumber(text);
        if (setting.kind == Flag && (sameText(text, "true") || sameText(text, "false")))
            number = sameText(text, "true");
        for (const NamedValue &named : setting.names)
            if (!number && sameText(text, named.name)) number = named.value;
        if (!number) {
            problem = "not a value of " + std::string(setting.name) +
                      " (allowed: " + allowedSettingValues(setting) + ")";
            return std::nullopt;
        }
        value.number = *number;
    }
    problem = settingValueProblem(setting, value);
    if (!problem.empty()) return std::nullopt;
    return value;
}

}  // namespace kestrom::eeprom
