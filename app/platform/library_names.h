// The file names of the two libraries the program loads, on each system, and
// what the user is told when one of them is missing.
#pragma once

#include <string>
#include <string_view>

namespace kestrom::platform {

#ifdef _WIN32
inline constexpr const char *kDriverFileName = "ftd2xx.dll";
inline constexpr const char *kRomgateFileName = "romgate.dll";
#else
inline constexpr const char *kDriverFileName = "libftd2xx.so";
inline constexpr const char *kRomgateFileName = "libromgate.so";
#endif

// "library <fileName> Not found ..."
inline std::string libraryMissingMessage(std::string_view fileName) {
    return "library " + std::string(fileName) + " Not found ...";
}

// "libftd2xx.so is not a D2XX driver: it lacks FT_Open, FT_Close"
inline std::string notADriverMessage(std::string_view fileName, std::string_view missingCalls) {
    return std::string(fileName) + " is not a D2XX driver: it lacks " + std::string(missingCalls);
}

}  // namespace kestrom::platform
