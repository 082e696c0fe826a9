#include "eeprom_report.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "hex_dump.h"
#include "report_rows.h"
#include "status_text.h"

namespace kestrom::reports {

namespace {

using platform::D2xxBinding;
using platform::RomgateBinding;

constexpr size_t kListingBuffer = 256;
// Room for the longest stored text (a Description of 67 bytes and its NUL), so a
// reader can never write past the buffer it is lent.
constexpr size_t kTextBuffer = 68;

QString fromDriver(const char *text, size_t capacity) {
    return QString::fromLocal8Bit(text, static_cast<qsizetype>(strnlen(text, capacity)));
}

uint32_t deviceCount(D2xxBinding &d2xx) {
    uint32_t count = 0;
    d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);  // a failed query counts as no device
    return count;
}

void appendDescriptions(LogSink &log, D2xxBinding &d2xx, uint32_t count) {
    for (uint32_t index = 0; index < count; ++index) {
        std::array<char, kListingBuffer> description{};
        const FT_STATUS status =
            d2xx.FT_ListDevices(reinterpret_cast<void *>(uintptr_t{index}), description.data(),
                                FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION);
        log.append(status == FT_OK ? fromDriver(description.data(), description.size())
                                   : QStringLiteral("FT_ListDevices failed --> ") + StatusText(status));
    }
}

void appendUserArea(LogSink &log, RomgateBinding &romgate) {
    const int32_t size = romgate.FT_EE_UASize_();
    log.append(size == -1 ? QStringLiteral("Read UASIZE Failed: code --> ") + StatusText(romgate.FT_STATUS_())
                          // The second space is the sign position of the number.
                          : QStringLiteral("UASIZE =  %1 bytes").arg(size));
}

QString text(RomgateBinding &romgate, int32_t (RomgateBinding::*read)(char *)) {
    std::array<char, kTextBuffer> buffer{};
    return (romgate.*read)(buffer.data()) == 0 ? fromDriver(buffer.data(), buffer.size()) : QString();
}

void appendRows(LogSink &log, RomgateBinding &romgate, std::span<const FieldRow> rows) {
    for (const FieldRow &row : rows) {
        if (row.read == nullptr) {
            log.append(QString::fromLatin1(row.caption));
            continue;
        }
        const int32_t value = (romgate.*row.read)();
        log.append(fieldLine(row.caption,
                             row.shown == Shown::Hexadecimal ? hexadecimal(value) : QString::number(value),
                             row.comment));
    }
}

// The device list and the field block; false when it stopped the report early,
// which is whenever the EEPROM could not be read.
bool appendTextPart(LogSink &log, platform::Libraries &libraries) {
    RomgateBinding &romgate = libraries.romgate;
    const uint32_t count = deviceCount(libraries.d2xx);
    if (count == 0) {
        log.append(QStringLiteral("FTDI Device Not Find ..."));
        return false;
    }
    log.append(QStringLiteral("Number Device: %1").arg(count));
    appendDescriptions(log, libraries.d2xx, count);
    log.append(QString());

    if (romgate.FT_EE_READ_() != 0) {
        log.append(QStringLiteral("FT_EE_READ failed --> ") + StatusText(romgate.FT_STATUS_()));
        log.append(QString(93, u'-'));
        log.append(QString());
        return false;
    }
    appendUserArea(log, romgate);
    log.append(QString());

    // The texts are fetched before the chip query: a device unplugged after the
    // read still shows them, while every later reader answers -1.
    QStringList texts;
    for (const TextRow &row : textRows()) texts.append(text(romgate, row.read));
    const int32_t chipType = romgate.FT_GetFTDevice_();
    for (size_t i = 0; i < textRows().size(); ++i) log.append(fieldLine(textRows()[i].caption, texts[i]));
    appendRows(log, romgate, commonRows());
    appendRows(log, romgate, chipRows(chipType));
    return true;
}

}  // namespace

bool ReportEeprom(LogSink &log, const ReportOptions &options, platform::Libraries &libraries) {
    if (options.textInfo && !appendTextPart(log, libraries)) return false;
    const bool dumpOpened = DumpEeprom(log, options.binaryInfo, libraries.d2xx);
    log.append(QString());
    log.append(QString(94, u'*'));
    return options.textInfo || dumpOpened;
}

}  // namespace kestrom::reports
