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

size_t DeviceChange::partWords(bool probeBlank) {
    size_t words = before().words.size();
    if (probeBlank && d2xx::isBlank(before().words)) safety::probeBlankPartSize(d2xx_, index_, words);
    return words;
}

std::optional<safety::JournalEntry> DeviceChange::interruptedChange() const {
    if (!safety::blankOrDamaged(chipType(), before().words)) return std::nullopt;
    for (const safety::JournalEntry &entry : journal_.pending()) {
        if (entry.device.type == chipType()) return entry;
    }
    return std::nullopt;
}

bool DeviceChange::begin(const QString &operation, QString &error) {
    return change_.begin(operation, error);
}

bool DeviceChange::end(bool succeeded, QString &error, const QString &failure) {
    change_.finish(succeeded);
    if (!succeeded) error = failure;
    return succeeded;
}

// FT_EE_Program's status (FT_EEPROM_Program's for a chip with its own structure),
// or the open's. The device is closed before it is read
// back; a close that fails takes nothing from what the read-back finds.
FT_STATUS DeviceChange::programRecord(const EepromContents &contents) {
    safety::OpenDevice device(d2xx_, index_);
    if (device.status() != FT_OK) return device.status();
    if (usesChipStructure(chipType()))
        return programChipStructure(d2xx_, device.handle(), chipType(), contents);
    ProgramRecord record;
    record.fill(contents);
    return d2xx_.FT_EE_Program(device.handle(), record.data());
}

bool DeviceChange::program(const EepromContents &contents, QString &error) {
    if (const FT_STATUS status = programRecord(contents); status != FT_OK) {
        return end(false, error, QStringLiteral("programming failed: %1").arg(statusText(status)));
    }
    safety::ChipWords after;
    if (const FT_STATUS read = safety::readChipWords(d2xx_, index_, after); read != FT_OK) {
        return end(false, error, QStringLiteral("reading it back failed: %1").arg(statusText(read)));
    }
    const QString wrong = mismatch(chipType(), after.words, contents);
    return end(wrong.isEmpty(), error, QStringLiteral("verifying failed: %1").arg(wrong));
}

bool DeviceChange::writeImage(std::span<const uint16_t> image, QString &error) {
    if (const FT_STATUS status = safety::writeChipWords(d2xx_, index_, image); status != FT_OK) {
        return end(false, error, QStringLiteral("writing the image failed: %1").arg(statusText(status)));
    }
    safety::ChipWords after;
    if (const FT_STATUS read = safety::readChipWords(d2xx_, index_, after); read != FT_OK) {
        return end(false, error, QStringLiteral("reading it back failed: %1").arg(statusText(read)));
    }
    // A blank part shows no size of its own: it reads as 64 blank words.
    const bool same = d2xx::isBlank(image)
                          ? d2xx::isBlank(after.words)
                          : std::equal(image.begin(), image.end(), after.words.begin(), after.words.end());
    return end(same, error,
               QStringLiteral("verifying failed: the EEPROM does not read as the image afterwards"));
}

int changeDevice(const Arguments &args, DeviceChange &change, const QString &operation,
                 const std::function<bool(QString &error)> &step) {
    QString error;
    if (!change.begin(operation, error)) {
        return args.failure(kDeviceFailed,
                            QStringLiteral("no backup could be made (%1): nothing was written").arg(error));
    }
    if (!step(error)) {
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
    return change;
}

}  // namespace kestrom::cli
