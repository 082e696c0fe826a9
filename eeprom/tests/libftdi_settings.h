// The chip tables' settings in libftdi1's terms: which setting libftdi1 can say on
// which chip, which way (it builds it, it reads it), and how its numbers become ours.
// What it cannot say is listed with the reason, so that no setting is left out
// unnoticed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "chip_settings.h"

namespace kestrom::eeprom::oracle {

struct Change {
    const Setting *setting;
    Value value;
};

enum class Reach { Builds = 1, Reads = 2, Both = 3 };

inline bool reaches(Reach reach, Reach way) {
    return (static_cast<int>(reach) & static_cast<int>(way)) != 0;
}

// How libftdi1 treats the setting on the chip; nothing, with the reason in `why`,
// for a setting it cannot express there.
std::optional<Reach> reach(uint32_t chip, const Setting &setting, std::string &why);

// The settings libftdi1 cannot express on the chip that name none of the chip's
// settings (a misspelt entry would let a setting go unchecked).
std::vector<std::string> unknownNames(uint32_t chip);

// The image libftdi1 builds for the chip on an EEPROM of `words` words, with
// `changes` over its defaults; its checksum is the one the chip keeps (on the X
// series libftdi sums a factory area it has never read).
std::optional<d2xx::Image> buildWith(uint32_t chip, size_t words, std::span<const Change> changes,
                                     std::string &error);

// Every setting libftdi1 reads from `image`, in our terms.
std::optional<std::vector<Change>> readBy(uint32_t chip, std::span<const uint16_t> image, std::string &error);

}  // namespace kestrom::eeprom::oracle
