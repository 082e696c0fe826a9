// The two libraries the program calls, as one pair for the reports and the window.
#pragma once

#include <filesystem>
#include <utility>

#include "d2xx_binding.h"
#include "romgate_binding.h"

namespace kestrom::platform {

struct Libraries {
    explicit Libraries(const std::filesystem::path &folder) : romgate(folder), d2xx(folder) {}
    Libraries(const std::filesystem::path &folder, ExportTable::Finder d2xxFinder)
        : romgate(folder), d2xx(std::move(d2xxFinder)) {}

    RomgateBinding romgate;
    D2xxBinding d2xx;
};

// Both from the program folder; each is loaded at its first use.
Libraries &programLibraries();

}  // namespace kestrom::platform
