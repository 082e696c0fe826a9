// Rows of values for every setting a template may set on a chip, taken from its
// table. Each row sets them all; across the rows each flag is set and cleared, each
// pin and drive current takes a run of its values, each channel every mode, and
// neighbouring settings differ, so that a setting written to its neighbour's place
// shows. The IDs stay the chip's own, so that the chip is found again.
#pragma once

#include <QJsonValue>
#include <string>
#include <vector>

#include "chip_settings.h"

namespace kestrom::eeprom {

struct RowValue {
    const Setting *setting;
    Value value;
};
using Row = std::vector<RowValue>;

std::vector<Row> chipRows(uint32_t chip, size_t count);

// A template that sets the row on the chip.
std::string templateOf(uint32_t chip, const Row &row);

// What show --json says for the value.
QJsonValue jsonOf(const Setting &setting, const Value &value);

}  // namespace kestrom::eeprom
