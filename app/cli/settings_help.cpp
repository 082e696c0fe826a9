#include "settings_help.h"

#include <cstring>

#include "device_text.h"
#include "record_fields.h"

namespace kestrom::cli {

namespace {

constexpr qsizetype kLineWidth = 78;

// `words` one after another, wrapped under `indent`.
QString wrapped(const QStringList &words, const QString &indent) {
    QString text = indent;
    qsizetype column = indent.size();
    for (const QString &word : words) {
        if (column > indent.size() && column + 1 + word.size() > kLineWidth) {
            text += u'\n' + indent;
            column = indent.size();
        } else if (column > indent.size()) {
            text += u' ';
            ++column;
        }
        text += word;
        column += word.size();
    }
    return text + u'\n';
}

QString takes(const FieldSpec &field) {
    if (!field.settable()) return QStringLiteral("shown only, not stored");
    if (field.chipFixed) return allowedValues(field) + QStringLiteral(", set by the chip");
    return allowedValues(field);
}

}  // namespace

QStringList settableNames(uint32_t chipType) {
    QStringList names;
    for (const FieldSpec *field : chipFields(chipType))
        if (field->settable()) names << QLatin1String(field->name);
    return names;
}

QStringList everyChipsSettableNames() {
    QStringList names;
    for (const eeprom::ChipTable &chip : eeprom::chipTables()) {
        for (const QString &name : settableNames(chip.type))
            if (!names.contains(name)) names << name;
    }
    return names;
}

QString everyChipsSettingsHelp() {
    QString text = QStringLiteral(
        "The settings of each chip, as templates, --set and show name them\n"
        "('kestrom help settings CHIP' tells what each means and the values it takes):\n");
    for (const eeprom::ChipTable &chip : eeprom::chipTables()) {
        text +=
            QStringLiteral("\n%1 (%2 settings):\n").arg(QLatin1String(chip.name)).arg(chip.settings.size());
        QStringList names;
        for (const FieldSpec *field : chip.settings) names << QLatin1String(field->name);
        text += wrapped(names, QStringLiteral("  "));
    }
    return text;
}

QString chipSettingsHelp(uint32_t chipType) {
    const eeprom::ChipTable *chip = eeprom::chipTable(chipType);
    if (chip == nullptr) return {};
    QList<QStringList> rows{{QStringLiteral("SETTING"), QStringLiteral("MEANING"), QStringLiteral("VALUES")}};
    for (const FieldSpec *field : chip->settings)
        rows.append({QLatin1String(field->name), QLatin1String(field->meaning), takes(*field)});
    QString text = QStringLiteral(
                       "The %1's settings: the keys of a template with chip = %1, the fields of\n"
                       "--set Field=Value, and what 'kestrom show' lists.\n")
                       .arg(QLatin1String(chip->name));
    if (!chip->oneOf.empty()) text += QStringLiteral("A channel takes one of its modes at most.\n");
    return text + u'\n' + alignedColumns(rows);
}

QString settingsHelpNote(const char *command) {
    for (const char *name : {"show", "template", "write", "produce"}) {
        if (std::strcmp(command, name) == 0) {
            return QStringLiteral("\nThe settings of each chip: kestrom help settings [CHIP]\n(CHIP: %1).\n")
                .arg(knownChipNames());
        }
    }
    return {};
}

}  // namespace kestrom::cli
