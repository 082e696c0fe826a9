// The settings of a chip as a hardware engineer looks for them: USB, texts, each
// channel or port, the CBUS pins, inversions, power, I2C, FT1248. A view of the
// chip model's tables: the groups hold the tables' own settings, in their order.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "chip_settings.h"

namespace kestrom::chipeditor {

using eeprom::Setting;

struct SettingGroup {
    QString caption;  // "USB", "Channel A", "CBUS pins"
    std::vector<const Setting *> settings;
};

// The group a setting of a chip of `chipType` belongs in; "Other" for one no rule
// places (a setting added to the tables without a group here).
QString groupOf(uint32_t chipType, const Setting &setting);

// The chip's settings by group, the groups in the order the editor shows them,
// empty groups left out; empty for a chip without a table.
std::vector<SettingGroup> settingGroups(uint32_t chipType);

}  // namespace kestrom::chipeditor
