// `kestrom show [--json]`: one device's configuration, every setting its chip's
// EEPROM holds, with the EEPROM's size, checksum state, string room and user area.
// The JSON object's keys are documented in the README and stay as they are.
#include <QJsonDocument>
#include <QJsonObject>

#include "cli_common.h"
#include "commands.h"
#include "device_change.h"
#include "device_config.h"
#include "device_text.h"

namespace kestrom::cli {

namespace {

// What the EEPROM holds as a whole: "valid", "blank", "bad checksum", or "unknown
// layout" for a chip whose layout Kestrom does not know.
QString eepromState(const safety::ChipWords &chip) {
    if (!d2xx::layoutKnown(chip.identity.type)) return QStringLiteral("unknown layout");
    return safety::checksumState(chip.identity.type, chip.words);
}

QString eepromStateText(const safety::ChipWords &chip) {
    const QString state = eepromState(chip);
    return state == u"valid" ? QStringLiteral("checksum valid") : state;
}

// The fields shown: the chip's own, or those every chip has when the driver reads
// a chip whose table Kestrom lacks.
std::span<const FieldSpec *const> shownFields(uint32_t chipType) {
    const auto fields = chipFields(chipType);
    return fields.empty() ? commonFields() : fields;
}

QJsonValue jsonValue(const FieldSpec &field, const FieldValue &value) {
    switch (field.kind) {
        case FieldKind::Text:
            return value.text;
        case FieldKind::Flag:
            return value.number != 0;
        case FieldKind::Choice:
            return choiceText(field, value.number);
        default:
            return qint64(value.number);
    }
}

QJsonValue optional(const std::optional<size_t> &value) {
    return value ? QJsonValue(qint64(*value)) : QJsonValue();
}

QJsonObject json(int index, const DeviceConfig &config) {
    const safety::ChipIdentity &id = config.chip.identity;
    const bool decoded = config.recordStatus == FT_OK;
    QJsonObject fields;
    if (decoded) {
        for (const FieldSpec *field : shownFields(id.type)) {
            fields.insert(QLatin1String(field->name), jsonValue(*field, valueOf(*field, config.contents)));
        }
    }
    const QJsonObject eeprom{
        {"words", qint64(config.chip.words.size())},
        {"part", partName(id.type, config.chip.words.size())},
        {"checksum", eepromState(config.chip)},
        {"stringRoom", optional(d2xx::stringRoom(id.type, config.chip.words.size()))},
        {"stringBytes", decoded ? optional(stringBytes(config.contents)) : QJsonValue()},
        {"userAreaBytes", config.userAreaBytes ? optional(*config.userAreaBytes) : QJsonValue()}};
    return {{"index", index},
            {"chip", safety::chipName(id.type)},
            {"type", qint64(id.type)},
            {"vidPid", vidPid(id.id)},
            {"serial", id.serialNumber},
            {"description", id.description},
            {"eeprom", eeprom},
            {"fields", decoded ? QJsonValue(fields) : QJsonValue()}};
}

QString text(int index, const DeviceConfig &config) {
    const safety::ChipIdentity &id = config.chip.identity;
    const size_t words = config.chip.words.size();
    QString out = QStringLiteral("Device %1: %2 %3, serial \"%4\", \"%5\"\nEEPROM: %6 words (%7), %8\n")
                      .arg(QString::number(index), safety::chipName(id.type), vidPid(id.id),
                           printable(id.serialNumber), printable(id.description), QString::number(words),
                           partName(id.type, words), eepromStateText(config.chip));
    if (config.recordStatus != FT_OK) {
        return out + QStringLiteral("No configuration to show: FT_EE_Read answered %1.\n")
                         .arg(statusText(config.recordStatus));
    }
    if (const std::optional<size_t> room = d2xx::stringRoom(id.type, words)) {
        out += QStringLiteral("Strings: %1 of %2 bytes\n").arg(stringBytes(config.contents)).arg(*room);
    }
    if (config.userAreaBytes) out += QStringLiteral("User area: %1 bytes\n").arg(*config.userAreaBytes);
    QList<QStringList> rows;
    for (const FieldSpec *field : shownFields(id.type)) {
        rows.append({QLatin1String(field->name),
                     printable(formatValue(*field, valueOf(*field, config.contents))),
                     QLatin1String(field->meaning)});
    }
    return out + u'\n' + alignedColumns(rows);
}

}  // namespace

int runShow(const QStringList &arguments) {
    Arguments args("show", "[--device N | --serial S] [--json]",
                   "Shows one device's configuration: every setting its chip's EEPROM holds, and its\n"
                   "EEPROM's size, checksum state, string room and user area.");
    args.addDeviceOptions();
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QStringLiteral("Print a JSON object instead."));
    args.addOption(jsonOption);
    if (const std::optional<int> done = args.parse(arguments)) return *done;
    int exitCode = kDone;
    DeviceConfig config;
    const std::optional<int> chosen = readChosenConfig(args, config, exitCode);
    if (!chosen) return exitCode;
    const int index = *chosen;
    // A blank or damaged EEPROM is shown as such; any other failed read is the device's.
    const bool answered = config.recordStatus == FT_OK || config.recordStatus == FT_EEPROM_NOT_PROGRAMMED ||
                          config.recordStatus == FT_NOT_SUPPORTED;
    if (!answered) {
        return args.failure(kDeviceFailed, QStringLiteral("the configuration of %1 could not be read: %2")
                                               .arg(args.deviceName(index), statusText(config.recordStatus)));
    }
    // A blank or damaged chip may be one whose change never ended: the way back is named.
    if (eepromState(config.chip) != u"valid") {
        safety::WriteJournal journal;
        if (const std::optional<safety::InterruptedChange> interrupted =
                safety::interruptedChange(journal, config.chip)) {
            printError(QString::fromLatin1(args.name()),
                       QStringLiteral("note: %1").arg(interruptedNote(*interrupted, config.chip)));
        }
    }
    printOut(args.parser().isSet(jsonOption) ? QString::fromUtf8(QJsonDocument(json(index, config)).toJson())
                                             : text(index, config));
    return kDone;
}

}  // namespace kestrom::cli
