// `kestrom dump FILE`: one device's EEPROM, every word, as a raw image file
// (16-bit little-endian words), as the window's Save EEPROM Image saves it.
#include <QDir>

#include "backup_store.h"
#include "cli_common.h"
#include "commands.h"
#include "device_config.h"

namespace kestrom::cli {

int runDump(const QStringList &arguments) {
    Arguments args("dump", "FILE [--device N | --serial S]",
                   "Saves every word of one device's EEPROM to FILE as a raw image (16-bit little-endian\n"
                   "words). A blank part shows no size of its own and is saved as 64 blank words.");
    args.addDeviceOptions();
    if (const std::optional<int> done = args.parse(arguments, {QStringLiteral("FILE")})) return *done;
    int exitCode = kDone;
    const std::optional<Arguments::ChosenDevice> device = args.chooseDevice(exitCode);
    if (!device) return exitCode;
    platform::D2xxBinding *d2xx = device->d2xx;
    const int index = device->index;

    safety::ChipWords chip;
    if (const FT_STATUS status = safety::readChipWords(*d2xx, index, chip); status != FT_OK) {
        return args.readFailure(index, status);
    }
    const QString file = args.positional().first();
    QString error;
    if (!safety::writeImageFile(file, chip.words, error)) {
        return args.failure(
            kBadInput, QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(file), error));
    }
    printOut(QStringLiteral("Saved %1 (%2, %3 words, %4) to %5\n")
                 .arg(args.deviceName(index), safety::chipName(chip.identity.type),
                      QString::number(chip.words.size()),
                      safety::checksumState(chip.identity.type, chip.words), QDir::toNativeSeparators(file)));
    return kDone;
}

}  // namespace kestrom::cli
