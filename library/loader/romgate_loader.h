// Loading libromgate from the program folder and binding its exports by name.
#pragma once

#include <filesystem>
#include <string>

namespace kestrom {

#ifdef _WIN32
inline constexpr const char *kDriverFileName = "ftd2xx.dll";
inline constexpr const char *kRomgateFileName = "romgate.dll";
#else
inline constexpr const char *kDriverFileName = "libftd2xx.so";
inline constexpr const char *kRomgateFileName = "libromgate.so";
#endif

class RomgateLibrary {
public:
    RomgateLibrary() = default;
    RomgateLibrary(const RomgateLibrary &) = delete;
    RomgateLibrary &operator=(const RomgateLibrary &) = delete;
    ~RomgateLibrary();

    // Loads the library from `folder`; false with message() set when it cannot be loaded.
    bool load(const std::filesystem::path &folder);
    bool loaded() const { return handle_ != nullptr; }

    // The export `name`, or null when the library is not loaded or lacks it.
    void *symbol(const char *name) const;

    // What the user is told: "library libftd2xx.so Not found ..." when the driver
    // library is what is missing, otherwise the system loader's own words.
    const std::string &message() const { return message_; }

private:
    void *handle_ = nullptr;
    std::string message_;
};

// The message for a missing library: "library <fileName> Not found ...".
std::string libraryMissingMessage(const char *fileName);
// The message for a missing driver library.
std::string driverMissingMessage();

}  // namespace kestrom
