#include "station_ports.h"

#include "d2xx_binding.h"

namespace kestrom::cli {

namespace {

// Longer than any USB port path (bus, then up to seven hub ports) or a section name kept.
constexpr uint32_t kPortBuffer = 256;

}  // namespace

std::optional<std::vector<StationPort>> listStationPorts(platform::D2xxBinding &d2xx) {
    if (!d2xx.tellsPorts()) return std::nullopt;
    uint32_t count = 0;
    if (d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) return std::vector<StationPort>();
    std::vector<StationPort> ports;
    for (uint32_t index = 0; index < count; ++index) {
        char port[kPortBuffer] = {};
        uint32_t chipType = 0;
        const FT_STATUS status = d2xx.KT_GetDevicePort(index, &chipType, port, kPortBuffer);
        if (status != FT_OK) continue;
        ports.push_back({int(index), chipType, QString::fromUtf8(port)});
    }
    return ports;
}

std::optional<int> indexOfPort(platform::D2xxBinding &d2xx, const QString &port) {
    for (const StationPort &listed : listStationPorts(d2xx).value_or(std::vector<StationPort>())) {
        if (listed.port == port) return listed.index;
    }
    return std::nullopt;
}

bool holdsPort(platform::D2xxBinding &d2xx, FT_HANDLE handle, const QString &port) {
    char held[kPortBuffer] = {};
    return handle != nullptr && d2xx.KT_GetHandlePort(handle, held, kPortBuffer) == FT_OK &&
           QString::fromUtf8(held) == port;
}

}  // namespace kestrom::cli
