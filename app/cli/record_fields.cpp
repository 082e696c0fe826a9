#include "record_fields.h"

#include <QStringList>
#include <algorithm>

namespace kestrom::cli {

namespace {

eeprom::Value modelValue(const FieldValue &value) {
    return {value.number, value.text.toStdString()};
}

FieldValue viewValue(const eeprom::Value &value) {
    return {value.number, QString::fromStdString(value.text)};
}

}  // namespace

std::span<const FieldSpec *const> chipFields(uint32_t chipType) {
    return eeprom::chipSettings(chipType);
}

std::span<const FieldSpec *const> commonFields() {
    return eeprom::commonSettings();
}

const FieldSpec *findField(uint32_t chipType, const QString &name) {
    return eeprom::findSetting(chipType, name.toStdString());
}

const FieldSpec *findField(const QString &name) {
    return eeprom::findAnySetting(name.toStdString());
}

bool chipHasField(uint32_t chipType, const FieldSpec &field) {
    const auto fields = chipFields(chipType);
    return std::find(fields.begin(), fields.end(), &field) != fields.end();
}

std::optional<uint32_t> chipByName(const QString &name) {
    return eeprom::chipByName(name.toStdString());
}

QString knownChipNames() {
    QStringList names;
    for (const eeprom::ChipTable &chip : eeprom::chipTables()) names << QLatin1String(chip.name);
    return names.join(QStringLiteral(", "));
}

FieldValue valueOf(const FieldSpec &field, const EepromContents &contents) {
    return viewValue(eeprom::settingValue(field, contents));
}

void setValue(const FieldSpec &field, EepromContents &contents, const FieldValue &value) {
    eeprom::setSettingValue(field, contents, modelValue(value));
}

QString choiceText(const FieldSpec &field, uint32_t value) {
    return QString::fromStdString(eeprom::formatSettingValue(field, {value, {}}));
}

QString formatValue(const FieldSpec &field, const FieldValue &value) {
    if (field.kind != FieldKind::Text)
        return QString::fromStdString(eeprom::formatSettingValue(field, modelValue(value)));
    QString escaped = value.text;
    escaped.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'"', QStringLiteral("\\\""))
        .replace(u';', QStringLiteral("\\;"));
    return u'"' + escaped + u'"';
}

QString allowedValues(const FieldSpec &field) {
    return QString::fromStdString(eeprom::allowedSettingValues(field));
}

QString valueProblem(const FieldSpec &field, const FieldValue &value) {
    return QString::fromStdString(eeprom::settingValueProblem(field, modelValue(value)));
}

std::optional<FieldValue> parseValue(const FieldSpec &field, const QString &written, QString &problem) {
    std::string why;
    const std::optional<eeprom::Value> value = eeprom::parseSettingValue(field, written.toStdString(), why);
    problem = QString::fromStdString(why);
    if (!value) return std::nullopt;
    return viewValue(*value);
}

}  // namespace kestrom::cli
