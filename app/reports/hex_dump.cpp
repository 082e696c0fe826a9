#include "hex_dump.h"

#include "dump_layout.h"

namespace kestrom::reports {

namespace {

constexpr int kDevice = 0;

void appendHeader(LogSink &log) {
    log.append(QString(30, u'-'));
    log.append(QStringLiteral("Hex. read EEPROM ...         |"));
    log.append(QString(79, u'-'));
    log.append(QStringLiteral("Adr. |                  Data                             |      Str."));
    log.append(
        QStringLiteral("-----|---------------------------------------------------|---------------------"));
}

}  // namespace

bool DumpEeprom(LogSink &log, bool binaryInfo, platform::D2xxBinding &d2xx) {
    if (!binaryInfo) return true;
    appendHeader(log);
    FT_HANDLE handle = nullptr;
    if (d2xx.FT_Open(kDevice, &handle) != FT_OK) {
        log.append(QStringLiteral("Open Failed"));
        return false;
    }
    std::array<uint16_t, kDumpWords> words{};
    // A word that cannot be read shows the last value read: the variable is not reset.
    uint16_t word = 0;
    for (int offset = 0; offset < kDumpWords; ++offset) {
        d2xx.FT_ReadEE(handle, static_cast<uint32_t>(offset), &word);
        words[offset] = word;
    }
    for (const QString &line : dumpDataLines(words)) log.append(line);
    log.append(QString(79, u'-'));
    if (d2xx.FT_Close(handle) != FT_OK) log.append(QStringLiteral("Close Failed"));
    return true;
}

}  // namespace kestrom::reports
