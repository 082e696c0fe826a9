// `kestrom restore FILE [--force]`: a raw image programmed into one device with the
// checks of the window's Program EEPROM Image (the part's size, the checksum, the
// chip's layout; --force lets an image of another layout through), backed up,
// journaled and read back.
#include <QDir>
#include <QFileInfo>

#include "backup_store.h"
#include "cli_common.h"
#include "commands.h"
#include "device_change.h"
#include "image_check.h"

namespace kestrom::cli {

namespace {

// What keeps `file` from being read as an image at all; empty when it is a file.
QString notAFile(const QString &file) {
    const QFileInfo info(file);
    const QString name = QDir::toNativeSeparators(file);
    if (!info.exists()) return QStringLiteral("%1 does not exist").arg(name);
    if (info.isDir()) return QStringLiteral("%1 is a folder, not an image file").arg(name);
    if (!info.isReadable()) return QStringLiteral("%1 cannot be read: permission denied").arg(name);
    return {};
}

}  // namespace

int runRestore(const QStringList &arguments) {
    Arguments args("restore", "FILE [--device N | --serial S] [--force]",
                   "Programs the raw image FILE into one device, after a backup of what it holds. The image\n"
                   "must have the part's size, a matching checksum and the chip's layout (or be blank, to\n"
                   "erase it).");
    args.addDeviceOptions();
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Program an image made for another chip's layout."));
    args.addOption(force);
    if (const std::optional<int> done = args.parse(arguments, {QStringLiteral("FILE")})) return *done;
    const QString file = args.positional().first();
    if (const QString missing = notAFile(file); !missing.isEmpty()) return args.failure(kBadInput, missing);
    QString unreadable;
    const std::optional<std::vector<uint16_t>> image = safety::BackupStore::load(file, unreadable);
    if (!image) {
        return args.failure(
            kBadInput,
            QStringLiteral("%1 is not an image: %2").arg(QDir::toNativeSeparators(file), unreadable));
    }
    int exitCode = kDone;
    const std::unique_ptr<DeviceChange> chosen = readChosenDevice(args, exitCode);
    if (!chosen) return exitCode;
    DeviceChange &change = *chosen;
    const int index = change.index();
    const safety::ImageCheck check = safety::checkImage(*image, change.chipType(), change.partWords(true));
    const bool forced = check.problem == safety::ImageProblem::Layout && args.parser().isSet(force);
    if (check.problem != safety::ImageProblem::None && !forced) {
        const QString hint = check.problem == safety::ImageProblem::Layout
                                 ? QStringLiteral(" (--force programs it anyway)")
                                 : QString();
        return args.failure(kBadInput,
                            QStringLiteral("the image was not programmed: %1%2").arg(check.reason, hint));
    }
    if (const int changed = changeDevice(args, change, QStringLiteral("Program EEPROM Image"), *image,
                                         [&](QString &error) { return change.writeImage(*image, error); });
        changed != kDone) {
        return changed;
    }
    printOut(QStringLiteral("Programmed %1 (%2) with %3 (%4 words)\nBackup: %5\n")
                 .arg(args.deviceName(index), safety::chipName(change.chipType()),
                      QDir::toNativeSeparators(file), QString::number(image->size()),
                      QDir::toNativeSeparators(change.backup())));
    return kDone;
}

}  // namespace kestrom::cli
