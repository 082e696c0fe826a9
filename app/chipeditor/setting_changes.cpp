#include "setting_changes.h"

#include "record_fields.h"

namespace kestrom::chipeditor {

namespace {

QString vidPid(const d2xx::EepromContents &contents) {
    return QStringLiteral("%1:%2")
        .arg(contents.fields.VendorId, 4, 16, QChar(u'0'))
        .arg(contents.fields.ProductId, 4, 16, QChar(u'0'))
        .toUpper();
}

}  // namespace

QStringList settingChanges(uint32_t chipType, const d2xx::EepromContents &before,
                           const d2xx::EepromContents &after) {
    QStringList changes;
    for (const cli::FieldSpec *field : cli::chipFields(chipType)) {
        if (!field->settable()) continue;
        const cli::FieldValue old = cli::valueOf(*field, before), now = cli::valueOf(*field, after);
        if (old == now) continue;
        changes << QStringLiteral("%1: %2 -> %3")
                       .arg(QLatin1String(field->name), cli::formatValue(*field, old),
                            cli::formatValue(*field, now));
    }
    return changes;
}

QStringList settingValues(uint32_t chipType, const d2xx::EepromContents &contents) {
    QStringList values;
    for (const cli::FieldSpec *field : cli::chipFields(chipType)) {
        if (field->settable())
            values << QStringLiteral("%1 = %2").arg(QLatin1String(field->name),
                                                    cli::formatValue(*field, cli::valueOf(*field, contents)));
    }
    return values;
}

QString idChange(const d2xx::EepromContents &before, const d2xx::EepromContents &after) {
    if (vidPid(before) == vidPid(after)) return {};
    return QStringLiteral("%1 -> %2").arg(vidPid(before), vidPid(after));
}

}  // namespace kestrom::chipeditor
