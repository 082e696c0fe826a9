// `kestrom list [--json]`: every device with its index, chip, VID:PID, serial
// number and description. A device that does not open (another program holds
// it) is listed with its serial and description and the status of the open.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <optional>

#include "chip_words.h"
#include "cli_common.h"
#include "commands.h"
#include "device_text.h"

namespace kestrom::cli {

namespace {

constexpr size_t kListBuffer = 64;  // FT_ListDevices by index takes at least 64 bytes

struct Listed {
    int index = 0;
    FT_STATUS status = FT_OK;  // of the open and the identity
    safety::ChipIdentity identity;
    QString serial;
    QString description;
};

std::optional<QString> listedText(platform::D2xxBinding &d2xx, uint32_t index, uint32_t what) {
    std::array<char, kListBuffer> text{};
    if (d2xx.FT_ListDevices(reinterpret_cast<void *>(uintptr_t(index)), text.data(),
                            FT_LIST_BY_INDEX | what) != FT_OK) {
        return std::nullopt;
    }
    text.back() = '\0';
    return QString::fromUtf8(text.data());
}

// A text the listing did not give is the device's own, when it opened; where both
// fail, the device's status says why the text is missing.
Listed describe(platform::D2xxBinding &d2xx, uint32_t index) {
    Listed listed{int(index), FT_OK, {}, {}, {}};
    listed.status = readIdentity(d2xx, int(index), listed.identity);
    listed.serial = listedText(d2xx, index, FT_OPEN_BY_SERIAL_NUMBER).value_or(listed.identity.serialNumber);
    listed.description =
        listedText(d2xx, index, FT_OPEN_BY_DESCRIPTION).value_or(listed.identity.description);
    return listed;
}

QJsonObject json(const Listed &device) {
    const bool known = device.status == FT_OK;
    return {{"index", device.index},
            {"chip", known ? QJsonValue(safety::chipName(device.identity.type)) : QJsonValue()},
            {"type", known ? QJsonValue(qint64(device.identity.type)) : QJsonValue()},
            {"vidPid", known ? QJsonValue(vidPid(device.identity.id)) : QJsonValue()},
            {"serial", device.serial},
            {"description", device.description},
            {"status", qint64(device.status)}};
}

QString table(const std::vector<Listed> &devices) {
    QList<QStringList> rows{{"INDEX", "CHIP", "VID:PID", "SERIAL", "DESCRIPTION"}};
    for (const Listed &device : devices) {
        const bool known = device.status == FT_OK;
        rows.append(
            {QString::number(device.index),
             known ? safety::chipName(device.identity.type) : QStringLiteral("?"),
             known ? vidPid(device.identity.id) : QStringLiteral("(%1)").arg(statusText(device.status)),
             printable(device.serial), printable(device.description)});
    }
    return alignedColumns(rows);
}

}  // namespace

int runList(const QStringList &arguments) {
    Arguments args("list", "[--json]",
                   "Lists every device: index, chip, VID:PID, serial number, description.");
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QStringLiteral("Print a JSON array instead of a table."));
    args.addOption(jsonOption);
    if (const std::optional<int> done = args.parse(arguments)) return *done;
    platform::D2xxBinding *d2xx = loadedDriver(args.name());
    if (d2xx == nullptr) return kDeviceFailed;

    uint32_t count = 0;
    if (const FT_STATUS status = d2xx->FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
        status != FT_OK) {
        return args.failure(kDeviceFailed,
                            QStringLiteral("the devices could not be listed: %1").arg(statusText(status)));
    }
    std::vector<Listed> devices;
    for (uint32_t index = 0; index < count; ++index) devices.push_back(describe(*d2xx, index));

    if (args.parser().isSet(jsonOption)) {
        QJsonArray array;
        for (const Listed &device : devices) array.append(json(device));
        printOut(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
    } else {
        printOut(devices.empty() ? QStringLiteral("No devices.\n") : table(devices));
    }
    return kDone;
}

}  // namespace kestrom::cli
