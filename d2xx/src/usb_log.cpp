#include "usb_log.h"

#include <libusb.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kestrom::d2xx {
namespace {

constexpr std::array<const char *, 19> kStatusNames{
    "FT_OK",
    "FT_INVALID_HANDLE",
    "FT_DEVICE_NOT_FOUND",
    "FT_DEVICE_NOT_OPENED",
    "FT_IO_ERROR",
    "FT_INSUFFICIENT_RESOURCES",
    "FT_INVALID_PARAMETER",
    "FT_INVALID_BAUD_RATE",
    "FT_DEVICE_NOT_OPENED_FOR_ERASE",
    "FT_DEVICE_NOT_OPENED_FOR_WRITE",
    "FT_FAILED_TO_WRITE_DEVICE",
    "FT_EEPROM_READ_FAILED",
    "FT_EEPROM_WRITE_FAILED",
    "FT_EEPROM_ERASE_FAILED",
    "FT_EEPROM_NOT_PRESENT",
    "FT_EEPROM_NOT_PROGRAMMED",
    "FT_INVALID_ARGS",
    "FT_NOT_SUPPORTED",
    "FT_OTHER_ERROR",
};

bool logging() {
    const char *setting = std::getenv("FTD2XX_LOG");
    return setting != nullptr && std::strcmp(setting, "1") == 0;
}

}  // namespace

std::string statusName(FT_STATUS status) {
    const std::string name = status < kStatusNames.size() ? kStatusNames[status] : "status";
    return name + " (" + std::to_string(status) + ")";
}

std::string libusbErrorText(int code) {
    return std::string(libusb_strerror(code)) + " [" + libusb_error_name(code) + "]";
}

FT_STATUS logUsbFailure(std::string_view step, std::string_view error, FT_STATUS status) {
    if (logging()) {
        const std::string line = "ftd2xx: " + std::string(step) + ": " + std::string(error) + " -> " +
                                 statusName(status) + "\n";
        std::fputs(line.c_str(), stderr);
    }
    return status;
}

}  // namespace kestrom::d2xx
