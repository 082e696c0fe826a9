#include "chip_rows.h"

#include <algorithm>

namespace kestrom::eeprom {
namespace {

bool allowed(const Setting &s, uint32_t number) {
    return settingValueProblem(s, {number, {}}).empty();
}

// The values a number or choice setting takes, in the order the rows go through them.
std::vector<uint32_t> numbers(const Setting &s) {
    std::vector<uint32_t> out;
    if (s.kind == SettingKind::Choice) {
        for (const NamedValue &named : s.names)
            if (allowed(s, named.value)) out.push_back(named.value);
    } else if (s.rule == NumberRule::DriveCurrent) {
        for (uint32_t mA = s.least; mA <= s.greatest; mA += 4) out.push_back(mA);
    } else {
        for (uint32_t n : {s.greatest, s.least, (s.least + (s.greatest - s.least) / 2) & ~1u})
            if (allowed(s, n) && std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
    }
    return out;
}

bool isId(const Setting &s) {
    return std::string_view(s.name) == "VendorId" || std::string_view(s.name) == "ProductId";
}

Value valueFor(const Setting &s, size_t index, size_t row, const d2xx::EepromContents &defaults) {
    const size_t turn = index + row;
    switch (s.kind) {
        case SettingKind::Flag:
            return {uint32_t(turn % 2), {}};
        case SettingKind::Text: {
            const std::string_view name = s.name;
            const std::string n = std::to_string(row);
            if (name == "Manufacturer") return {0, "Maker " + n};
            if (name == "Description") return {0, "Board " + n};
            return {0, "SN" + n + "00042"};
        }
        default:
            break;
    }
    if (isId(s)) return settingValue(s, defaults);
    const std::vector<uint32_t> all = numbers(s);
    return {all[turn % all.size()], {}};
}

std::string quoted(const std::string &text) {
    return "\"" + text + "\"";
}

}  // namespace

std::vector<Row> chipRows(uint32_t chip, size_t count) {
    const d2xx::EepromContents defaults = d2xx::chipDefaults(chip);
    const ChipTable *table = chipTable(chip);
    std::vector<Row> rows;
    for (size_t r = 0; r < count; ++r) {
        Row row;
        const auto settings = chipSettings(chip);
        for (size_t i = 0; i < settings.size(); ++i) {
            const Setting *s = settings[i];
            if (s->settable() && !s->chipFixed) row.push_back({s, valueFor(*s, i, r, defaults)});
        }
        // One mode a channel, a different one in each row and on each channel (UART
        // when none is set).
        for (size_t g = 0; g < table->oneOf.size(); ++g) {
            const auto &group = table->oneOf[g];
            for (RowValue &v : row) {
                const auto at = std::find(group.begin(), group.end(), v.setting);
                if (at != group.end())
                    v.value.number = size_t(at - group.begin()) == (r + g) % (group.size() + 1);
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string templateOf(uint32_t chip, const Row &row) {
    std::string text = std::string("[template]\nchip = ") + chipTable(chip)->name + "\n";
    for (const RowValue &v : row) {
        const std::string value = v.setting->kind == SettingKind::Text
                                      ? quoted(v.value.text)
                                      : formatSettingValue(*v.setting, v.value);
        text += std::string(v.setting->name) + " = " + value + "\n";
    }
    return text;
}

QJsonValue jsonOf(const Setting &setting, const Value &value) {
    switch (setting.kind) {
        case SettingKind::Flag:
            return value.number != 0;
        case SettingKind::Text:
            return QString::fromStdString(value.text);
        case SettingKind::Choice:
            return QString::fromStdString(formatSettingValue(setting, value));
        case SettingKind::Hex:
        case SettingKind::Decimal:
            break;
    }
    return double(value.number);
}

}  // namespace kestrom::eeprom
