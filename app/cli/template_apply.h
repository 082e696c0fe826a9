// What a template makes of one device: the contents it is to hold, checked
// against the chip before anything is written, every problem naming its line.
#pragma once

#include <functional>
#include <optional>

#include "device_change.h"
#include "template_source.h"

namespace kestrom::cli {

// `base` (what the chip holds) with the settings applied; nothing, with the
// problems, for a value the chip keeps to itself, two modes on one channel, or
// texts that do not fit the part. `partWords` is asked only when the texts need
// more room than the words read show (a blank part is probed then).
std::optional<EepromContents> applyTemplate(const Template &settings, uint32_t chipType,
                                            const EepromContents &base, size_t wordsRead,
                                            const std::function<size_t()> &partWords, QStringList &problems);

// The contents `source` gives the device `change` has read; `adjust`, when given,
// changes the settings for this chip first. Notes (ignored options, a blank
// EEPROM's defaults) go to `notes`.
std::optional<EepromContents> contentsFor(DeviceChange &change, const TemplateSource &source,
                                          const std::function<void(Template &)> &adjust,
                                          QStringList &problems, QStringList &notes);

}  // namespace kestrom::cli
