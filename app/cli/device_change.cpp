#include "device_change.h"

#include <QDir>

#include "cli_common.h"
#include "device_config.h"

namespace kestrom::cli {

namespace {

// Why the chip does not hold `wanted`; empty when it does.
QString mismatch(uint32_t chipType, const std::vector<uint16_t> &words, const EepromContents &wanted) {
    EepromContents read;
    if (const FT_STATUS status = d2xx::decode(chipType, words, read); status != FT_OK) {
        return QStringLiteral("the EEPROM reads %1 afterwards").arg(safety::checksumState(chipType, words));
    }
    for (const FieldSpec *field : chipFields(chipType)) {
        const FieldValue now = valueOf(*field, read);
        if (now != valueOf(*field, wanted)) {
            return QStringLiteral("%1 reads %2 afterwards, not %3")
                .arg(QLatin1String(field->name), formatValue(*field, now),
                     formatValue(*field, valueOf(*field, wanted)));
        }
    }
    return {};
}

}  // namespace

DeviceChange::DeviceChange(platform::D2xxBinding &d2xx, int index)
    : d2xx_(d2xx), index_(index), change_(d2xx, backups_, journal_) {}

DeviceChange::DeviceChange(platform::D2xxBinding &d2xx, QString port)
    : d2xx_(d2xx), index_(-1), port_(std::move(port)), change_(d2xx, backups_, journal_) {}

FT_STATUS DeviceChange::read(bool *opened) {
    const FT_STATUS status =
        port_.isEmpty() ? change_.readDevice(index_, opened, true) : change_.readDeviceAt(port_, opened);
    if (status == FT_OK) safety::endSettledEntries(journal_, before());
    return status;
}

size_t DeviceChange::partWords(bool probeBlank) {
    size_t words = before().words.size();
    if (probeBlank && d2xx::isBlank(before().words) && change_.held() != nullptr)
        change_.held()->probeBlankPartSize(words);
    return words;
}

std::optional<std::vector<uint16_t>> DeviceChange::imageOf(const EepromContents &contents) const {
    std::vector<uint16_t> image = before().words;
    if (d2xx::encode(chipType(), contents, image) != FT_OK) return std::nullopt;
    return image;
}

bool DeviceChange::end(bool succeeded, QString &error, const QString &failure, const safety::ChipWords *now) {
    change_.finish(succeeded, now);
    if (!succeeded) error = failure;
    return succeeded;
}

// FT_EE_Program's status (FT_EEPROM_Program's for a chip with its own structure)
// on the device the change holds.
FT_STATUS DeviceChange::programRecord(const EepromContents &contents) {
    const safety::OpenDevice *device = change_.held();
    if (device == nullptr) return FT_DEVICE_NOT_OPENED;
    if (usesChipStructure(chipType()))
        return programChipStructure(d2xx_, device->handle(), chipType(), contents);
    ProgramRecord record;
    record.fill(contents);
    return d2xx_.FT_EE_Program(device->handle(), record.data());
}

bool DeviceChange::readBack(safety::ChipWords &after, QString &error) {
    if (const FT_STATUS read = change_.readNow(after); read != FT_OK) {
        return end(false, error, QStringLiteral("reading it back failed: %1").arg(statusText(read)));
    }
    return true;
}

bool DeviceChange::program(const EepromContents &contents, QString &error) {
    if (const FT_STATUS status = programRecord(contents); status != FT_OK) {
        return end(false, error, QStringLiteral("programming failed: %1").arg(statusText(status)));
    }
    safety::ChipWords after;
    if (!readBack(after, error)) return false;
    const QString wrong = mismatch(chipType(), after.words, contents);
    return end(wrong.isEmpty(), error, QStringLiteral("verifying failed: %1").arg(wrong), &after);
}

bool DeviceChange::writeImage(std::span<const uint16_t> image, QString &error) {
    safety::OpenDevice *device = change_.held();
    const FT_STATUS status = device != nullptr ? device->write(image) : FT_STATUS{FT_DEVICE_NOT_OPENED};
    if (status != FT_OK) {
        return end(false, error, QStringLiteral("writing the image failed: %1").arg(statusText(status)));
    }
    safety::ChipWords after;
    if (!readBack(after, error)) return false;
    // A blank part shows no size of its own: it reads as 64 blank words.
    const bool same = d2xx::isBlank(image)
                          ? d2xx::isBlank(after.words)
                          : std::equal(image.begin(), image.end(), after.words.begin(), after.words.end());
    return end(same, error,
               QStringLiteral("verifying failed: the EEPROM does not read as the image afterwards"), &after);
}

QString interruptedNote(const safety::InterruptedChange &interrupted, const safety::ChipWords &now) {
    const safety::JournalEntry &entry = interrupted.entry;
    return QStringLiteral(
               "\"%1\" of an %2 (serial %3) never ended (%4) and this one reads %5: its old contents are in "
               "%6 ('kestrom restore' puts them back)")
        .arg(entry.operation, safety::chipName(entry.device.type), entry.device.serialNumber,
             entry.started.toString(Qt::ISODate), safety::checksumState(now.identity.type, now.words),
             QDir::toNativeSeparators(entry.backup));
}

QString notBegun(const DeviceChange &change, const QString &error) {
    if (change.backup().isEmpty())
        return QStringLiteral("no backup could be made (%1): nothing was written").arg(error);
    return QStringLiteral("the change could not be entered in the journal (%1): nothing was written")
        .arg(error);
}

int changeDevice(const Arguments &args, DeviceChange &change, const QString &operation,
                 const std::optional<std::vector<uint16_t>> &after,
                 const std::function<bool(QString &error)> &step) {
    QString error;
    if (!change.begin(operation, error, after)) return args.failure(kDeviceFailed, notBegun(change, error));
    if (!change.stillAsRead(error)) {
        return args.failure(
            kDeviceFailed,
            QStringLiteral("%1: %2: nothing was written").arg(args.deviceName(change.index()), error));
    }
    const bool done = step(error);
    if (const FT_STATUS closed = change.release(); closed != FT_OK) {
        printError(QString::fromLatin1(args.name()),
                   QStringLiteral("warning: closing %1 failed afterwards: %2")
                       .arg(args.deviceName(change.index()), statusText(closed)));
    }
    if (!done) {
        return args.failure(kDeviceFailed, QStringLiteral("%1: %2; the old contents are in %3")
                                               .arg(args.deviceName(change.index()), error,
                                                    QDir::toNativeSeparators(change.backup())));
    }
    return kDone;
}

std::unique_ptr<DeviceChange> readChosenDevice(const Arguments &args, int &exitCode) {
    const std::optional<Arguments::ChosenDevice> device = args.chooseDevice(exitCode);
    if (!device) return nullptr;
    auto change = std::make_unique<DeviceChange>(*device->d2xx, device->index);
    if (const FT_STATUS status = change->read(); status != FT_OK) {
        exitCode = args.readFailure(device->index, status);
        return nullptr;
    }
    // Devices move up when one before them is unplugged: the index found by the
    // listing may reach another chip by the time it is opened.
    if (const QString now = change->before().identity.serialNumber;
        !device->serial.isEmpty() && now != device->serial) {
        exitCode = args.failure(
            kDeviceFailed, QStringLiteral("device %1 no longer has the serial number '%2' (it has '%3'): "
                                          "nothing was written")
                               .arg(device->index)
                               .arg(device->serial, now));
        return nullptr;
    }
    return change;
}

}  // namespace kestrom::cli
