#include "status_text.h"

#include <array>

namespace kestrom::reports {

QString StatusText(int64_t status) {
    static constexpr std::array<const char *, 18> kNames{
        "FT INVALID HANDLE",
        "FT DEVICE NOT FOUND",
        "FT DEVICE NOT OPENED",
        "FT IO ERROR",
        "FT INSUFFICIENT RESOURCES",
        "FT INVALID PARAMETER",
        "FT INVALID BAUD RATE",
        "FT DEVICE NOT OPENED FOR ERASE",
        "FT DEVICE NOT OPENED FOR WRITE",
        "FT FAILED TO WRITE DEVICE",
        "FT EEPROM READ FAILED",
        "FT EEPROM WRITE FAILED",
        "FT EEPROM ERASE FAILED",
        "FT EEPROM NOT PRESENT",
        "FT EEPROM NOT PROGRAMMED",
        "FT INVALID ARGS",
        "FT NOT SUPPORTED",
        "FT OTHER ERROR",
    };
    if (status == 0) return QStringLiteral("FT_OK");
    const char *name = status > 0 && status <= static_cast<int64_t>(kNames.size())
                           ? kNames[static_cast<size_t>(status - 1)]
                           : "UNKNOWN";
    return QStringLiteral("***  %1  ***").arg(QLatin1String(name));
}

}  // namespace kestrom::reports
