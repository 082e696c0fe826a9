#include "template_model.h"

#include "chip_words.h"

namespace kestrom::cli {

bool resolveSetting(Setting &setting, uint32_t chipType, QString &problem) {
    const QString name = setting.field ? QLatin1String(setting.field->name) : setting.name;
    const FieldSpec *field = findField(chipType, name);
    if (field != nullptr && field == setting.field) return true;
    if (field == nullptr) {
        problem = QStringLiteral("%1: %2 is not a field of the %3")
                      .arg(setting.origin, name, safety::chipName(chipType));
        return false;
    }
    const QString statement = setting.statement.isEmpty() ? setting.origin : setting.statement;
    if (setting.field != nullptr && setting.written.isNull()) {
        problem = valueProblem(*field, setting.value);  // a value given as such
    } else if (const std::optional<FieldValue> value = parseValue(*field, setting.written, problem)) {
        setting.value = *value;
    }
    if (!problem.isEmpty()) {
        problem = QStringLiteral("%1: %2").arg(statement, problem);
        return false;
    }
    setting.field = field;
    return true;
}

QString problemOnEveryChip(const QString &name, const QString &written) {
    QString first;
    for (const eeprom::ChipTable &chip : eeprom::chipTables()) {
        const FieldSpec *field = findField(chip.type, name);
        if (field == nullptr) continue;
        QString problem;
        if (parseValue(*field, written, problem)) return {};
        if (first.isEmpty()) first = problem;
    }
    return first;
}

}  // namespace kestrom::cli
