// Renders the chip editor on a simulated chip of the kind given, programmed with
// its defaults, into a PNG: chip_editor_shot 232H docs/chip-editor.png
// (run under xvfb-run for the desktop's own style).
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "chip_settings.h"
#include "chip_settings_window.h"
#include "libraries.h"
#include "program_folder.h"

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: chip_editor_shot AM|BM|2232C|232R|2232H|4232H|232H|X OUT.png\n");
        return 2;
    }
    const std::optional<uint32_t> chip = kestrom::eeprom::chipByName(argv[1]);
    if (!chip) {
        std::fprintf(stderr, "chip_editor_shot: not a chip kind: %s\n", argv[1]);
        return 2;
    }
    QTemporaryDir scratch;
    kestrom::d2xx::EepromContents contents = kestrom::d2xx::chipDefaults(*chip);
    contents.serialNumber = "KS000001";
    const bool small = *chip == FT_DEVICE_AM || *chip == FT_DEVICE_BM || *chip == FT_DEVICE_232R;
    const size_t words = small ? 64 : 128;
    std::vector<uint16_t> image(words, 0xFFFF);
    if (kestrom::d2xx::encode(*chip, contents, image) != FT_OK) return 1;
    QFile eeprom(scratch.filePath(QStringLiteral("chip.bin"))),
        devices(scratch.filePath(QStringLiteral("chip.ini")));
    if (!eeprom.open(QIODevice::WriteOnly) || !devices.open(QIODevice::WriteOnly)) return 1;
    eeprom.write(reinterpret_cast<const char *>(image.data()), qint64(image.size() * 2));
    devices.write(QStringLiteral("[board]\nchip = %1\neeprom = chip.bin\neeprom_words = %2\n")
                      .arg(QString::fromLatin1(argv[1]))
                      .arg(words)
                      .toUtf8());
    eeprom.close(), devices.close();
    qputenv("FTD2XX_SIM", devices.fileName().toUtf8());

    kestrom::platform::Libraries libraries(kestrom::platform::programFolder());
    kestrom::reports::LineList log;
    kestrom::chipeditor::ChipSettingsWindow window(libraries.d2xx, log);
    window.show();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
