// `kestrom template save FILE`: one device's configuration as a template, every
// setting its chip's EEPROM holds that a template may set, each with a comment naming
// the values it allows.
#include <QDir>

#include "checked_file.h"
#include "cli_common.h"
#include "commands.h"
#include "device_config.h"
#include "template_apply.h"
#include "template_file.h"

namespace kestrom::cli {

namespace {

// Why the contents cannot be kept in a template (a text no template line can
// hold); empty when they can.
QString unsavable(uint32_t chipType, const EepromContents &contents) {
    for (const FieldSpec *field : chipFields(chipType)) {
        if (!field->settable()) continue;
        if (const QString problem = valueProblem(*field, valueOf(*field, contents)); !problem.isEmpty()) {
            return QStringLiteral("%1: %2").arg(QLatin1String(field->name), problem);
        }
    }
    return {};
}

}  // namespace

int runTemplate(const QStringList &arguments) {
    Arguments args(
        "template", "save FILE [--device N | --serial S]",
        "Saves one device's configuration as a template: an INI file naming the chip kind, one\n"
        "key per setting of the chip with a comment naming the values it allows. 'kestrom write' programs\n"
        "devices from it.");
    args.addDeviceOptions();
    if (const std::optional<int> done =
            args.parse(arguments, {QStringLiteral("save"), QStringLiteral("FILE")}))
        return *done;
    if (args.positional().first() != u"save") {
        return args.usageError(QStringLiteral("unknown action '%1': the one there is, is 'save'")
                                   .arg(args.positional().first()));
    }
    int exitCode = kDone;
    DeviceConfig config;
    const std::optional<int> chosen = readChosenConfig(args, config, exitCode);
    if (!chosen) return exitCode;
    const int index = *chosen;
    const uint32_t chipType = config.chip.identity.type;
    if (const QString problem = layoutProblem(chipType); !problem.isEmpty()) {
        return args.failure(kDeviceFailed, problem);
    }
    if (config.recordStatus != FT_OK) {
        return args.failure(kDeviceFailed, QStringLiteral("%1 holds no configuration to save: %2")
                                               .arg(args.deviceName(index), statusText(config.recordStatus)));
    }
    if (const QString problem = unsavable(chipType, config.contents); !problem.isEmpty()) {
        return args.failure(
            kDeviceFailed,
            QStringLiteral("no template can keep what %1 holds: %2").arg(args.deviceName(index), problem));
    }
    const QString file = args.positional()[1];
    const QString source = QStringLiteral("%1 (serial \"%2\") on %3")
                               .arg(args.deviceName(index), config.chip.identity.serialNumber,
                                    QDateTime::currentDateTime().toString(Qt::ISODate));
    QString error;
    if (!safety::writeFileChecked(file, templateText(chipType, config.contents, source), error)) {
        return args.failure(
            kBadInput, QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(file), error));
    }
    printOut(QStringLiteral("Saved the %1 configuration of %2 as the template %3\n")
                 .arg(safety::chipName(chipType), args.deviceName(index), QDir::toNativeSeparators(file)));
    return kDone;
}

}  // namespace kestrom::cli
