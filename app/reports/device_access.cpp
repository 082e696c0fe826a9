#include "device_access.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <cerrno>

namespace kestrom::reports {

namespace {

constexpr uint16_t kFtdiVendor = 0x0403;

// The maker's vendor ID and those of the pairs in FTD2XX_VIDPID ("1234:5678,...").
QSet<uint16_t> vendors() {
    QSet<uint16_t> ids{kFtdiVendor};
    static const QRegularExpression pair(QStringLiteral("(?:0[xX])?([0-9A-Fa-f]{1,4})\\s*:"));
    const QString listed = qEnvironmentVariable("FTD2XX_VIDPID");
    for (auto match = pair.globalMatch(listed); match.hasNext();) {
        ids.insert(static_cast<uint16_t>(match.next().captured(1).toUInt(nullptr, 16)));
    }
    return ids;
}

QString attribute(const QString &device, const char *name) {
    QFile file(device + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readAll()).trimmed();
}

bool refused(const QString &node) {
    const int fd = ::open(QFile::encodeName(node).constData(), O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return errno == EACCES || errno == EPERM;
}

}  // namespace

bool DeviceNodeRefused() {
    if (!qEnvironmentVariableIsEmpty("FTD2XX_SIM")) return false;
    const QSet<uint16_t> wanted = vendors();
    const QDir devices(QStringLiteral("/sys/bus/usb/devices"));
    for (const QString &name : devices.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QString device = devices.filePath(name);
        bool isNumber = false;
        const uint vendor = attribute(device, "idVendor").toUInt(&isNumber, 16);
        if (!isNumber || !wanted.contains(static_cast<uint16_t>(vendor))) continue;
        const uint bus = attribute(device, "busnum").toUInt(), address = attribute(device, "devnum").toUInt();
        if (bus == 0 || address == 0) continue;
        if (refused(QStringLiteral("/dev/bus/usb/%1/%2").arg(bus, 3, 10, QLatin1Char('0')).arg(address, 3, 10,
                                                                                            QLatin1Char('0')))) {
            return true;
        }
    }
    return false;
}

QString UdevRuleHint() {
    return QStringLiteral(
        "This user may not open the chip's USB device: install the udev rule "
        "(scripts/install-udev-rule.sh), then plug the chip in again.");
}

void AppendAccessHint(LogSink &log) {
    if (DeviceNodeRefused()) log.append(UdevRuleHint());
}

}  // namespace kestrom::reports
