// A library's exports bound by name at their first use. The library itself is
// loaded at the first need; each name is looked up once and remembered, found or not.
// Calls may come from several threads at once.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace kestrom::platform {

class ExportTable {
public:
    // Loads the library: true when it loaded, else false with the message for the user.
    using Loader = std::function<bool(std::string &message)>;
    // An export's address, called only once cast back to the export's own type.
    using Address = void (*)();
    // The address of an export of the loaded library, or null.
    using Finder = std::function<Address(const char *name)>;

    ExportTable(size_t slots, Loader load, Finder find);

    // The first attempt's outcome stands: a library that failed to load is not tried again.
    bool load();
    const std::string &message() const { return message_; }

    // Export `name`, remembered in `slot`; null when the library or the name is missing.
    Address resolve(size_t slot, const char *name);

    // Calls export `name` as a `Function` with `args`, or answers `unavailable` when it cannot be bound.
    template <typename Function, typename... Args>
    auto call(size_t slot, const char *name, std::invoke_result_t<Function, Args...> unavailable,
              Args... args) {
        const auto function = reinterpret_cast<Function>(resolve(slot, name));
        return function != nullptr ? function(args...) : unavailable;
    }

private:
    std::mutex mutex_;
    Loader load_;
    Finder find_;
    std::optional<bool> loaded_;
    std::string message_;
    std::vector<std::optional<Address>> cache_;
};

}  // namespace kestrom::platform
