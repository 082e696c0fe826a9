// `kestrom restore FILE [--force]`: a raw image programmed into one device with the
// checks of the window's Program EEPROM Image (the part's size, the checksum, the
// chip's layout; --force lets an image of another layout through), backed up,
// journaled and read back.
#include <QDir>

#include "backup_store.h"
#include "cli_common.h"
#include "commands.h"
#include "device_change.h"
#include "image_check.h"

namespace kestrom::cli {

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
    const std::optional<std::vector<uint16_t>> image = safety::BackupStore::load(file);
    if (!image) {
        return args.failure(kBadInput,
                            QStringLiteral("%1 is not an image: it cannot be read or holds no whole words")
                                .arg(QDir::toNativeSeparators(file)));
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
