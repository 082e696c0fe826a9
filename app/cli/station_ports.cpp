#include "station_ports.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "d2xx_binding.h"

namespace kestrom::cli {

namespace {

// Longer than any USB port path (bus, then up to seven hub ports) or a section name kept.
constexpr uint32_t kPortBuffer = KT_PORT_SIZE;
// Room for a full line of boards in the first asking; more is asked for when needed.
constexpr uint32_t kFirstRoom = 16;
// Boards plugged in between two askings make a third one; a bus that keeps growing
// past that is listed as empty this time.
constexpr int kAskings = 4;

// From one look at the bus.
std::vector<StationPort> listedAtOnce(platform::D2xxBinding &d2xx) {
    std::vector<KT_DEVICE_PORT> listed(kFirstRoom);
    for (int asking = 0; asking < kAskings; ++asking) {
        uint32_t count = 0;
        const FT_STATUS status = d2xx.KT_ListDevicePorts(listed.data(), uint32_t(listed.size()), &count);
        if (status == FT_INSUFFICIENT_RESOURCES && count > listed.size()) {
            listed.resize(count);
            continue;
        }
        if (status != FT_OK) break;
        std::vector<StationPort> ports;
        for (const KT_DEVICE_PORT &device : std::span(listed).first(std::min<size_t>(count, listed.size()))) {
            ports.push_back({int(device.Index), device.Type,
                             QString::fromUtf8(device.Port, qsizetype(strnlen(device.Port, kPortBuffer)))});
        }
        return ports;
    }
    return {};
}

}  // namespace

std::optional<std::vector<StationPort>> listStationPorts(platform::D2xxBinding &d2xx) {
    if (!d2xx.tellsPorts()) return std::nullopt;
    if (d2xx.listsPorts()) return listedAtOnce(d2xx);
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
