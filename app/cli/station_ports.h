// Where the devices are plugged in, as the stations of a production run see them:
// the USB port path ("1-1.3") or a simulated device's section, through the
// driver's own KT_ListDevicePorts (or KT_GetDevicePort, index by index).
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "ftd2xx.h"

namespace kestrom::platform {
class D2xxBinding;
}

namespace kestrom::cli {

struct StationPort {
    int index = 0;
    uint32_t chipType = 0;
    QString port;
};

// Every device listed now with its port; nothing when the driver cannot tell ports.
// A device that goes while it is listed is left out.
std::optional<std::vector<StationPort>> listStationPorts(platform::D2xxBinding &d2xx);

// The index of the device plugged in at `port` now; nothing when none is.
std::optional<int> indexOfPort(platform::D2xxBinding &d2xx, const QString &port);

// Whether the device open on `handle` is the one plugged in at `port`.
bool holdsPort(platform::D2xxBinding &d2xx, FT_HANDLE handle, const QString &port);

}  // namespace kestrom::cli
