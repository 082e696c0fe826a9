// What a template makes of one device: the contents it is to hold, checked
// against the chip before anything is written, every problem naming its line.
#pragma once

#include <functional>
#include <optional>

#include "device_change.h"
#include "template_source.h"

namespace kestrom::cli {

// `base` (what the chip holds) with the settings applied, for a chip whose EEPROM
// reads as `words` words; nothing, with the problems, for a value the chip keeps to
// itself, two modes on one channel, or texts that do not fit the part.
std::optional<EepromContents> applyTemplate(const Template &settings, uint32_t chipType,
                                            const EepromContents &base, size_t words, QStringList &problems);

// Why a chip of `chipType` cannot take a template (Kestrom does not know its
// EEPROM's layout, or has no table of its fields); empty when it can.
QString layoutProblem(uint32_t chipType);

// The contents `source` gives the device `change` has read; `adjust`, when given,
// changes the settings for this chip first. Notes (ignored options, a blank
// EEPROM's defaults) go to `notes`.
std::optional<EepromContents> contentsFor(const DeviceChange &change, const TemplateSource &source,
                                          const std::function<void(Template &)> &adjust,
                                          QStringList &problems, QStringList &notes);

}  // namespace kestrom::cli
