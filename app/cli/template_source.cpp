#include "template_source.h"

#include <QDir>
#include <QFile>
#include <algorithm>

#include "chip_words.h"
#include "template_file.h"

namespace kestrom::cli {

std::optional<Setting> parseSet(const QString &set, QString &problem) {
    const qsizetype equals = set.indexOf(u'=');
    const QString name = set.left(equals).trimmed();
    const FieldSpec *field = equals > 0 ? findField(name) : nullptr;
    if (equals <= 0) {
        problem = QStringLiteral("--set takes Field=Value, not '%1'").arg(set);
    } else if (field == nullptr) {
        problem = QStringLiteral("--set %1: unknown field '%2'").arg(set, name);
    } else if (!field->settable()) {
        problem =
            QStringLiteral("--set %1: %2 is not stored in the EEPROM").arg(set, QLatin1String(field->name));
    } else if (const QString why = problemOnEveryChip(name, set.mid(equals + 1)); !why.isEmpty()) {
        problem = QStringLiteral("--set %1: %2").arg(set, why);
    } else {
        const QString origin = QStringLiteral("--set %1").arg(set);
        return Setting{nullptr, {}, origin, QLatin1String(field->name), set.mid(equals + 1), origin};
    }
    return std::nullopt;
}

std::optional<TemplateSource> TemplateSource::read(const QString &path, const QStringList &sets,
                                                   QStringList &problems) {
    TemplateSource source;
    source.path_ = path;
    const qsizetype before = problems.size();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problems << QStringLiteral("%1 cannot be read: %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString());
        return std::nullopt;
    }
    const QByteArray content = file.readAll();
    const QString name = QDir::toNativeSeparators(path);
    if (isKestromTemplate(content)) {
        source.own_ = parseTemplate(name, content, problems);
    } else if (auto options = readFtdiEepromFile(name, content, problems)) {
        source.ftdiEeprom_ = std::move(*options);
    }
    for (const QString &set : sets) {
        QString problem;
        if (const std::optional<Setting> setting = parseSet(set, problem)) {
            source.sets_.push_back(*setting);
        } else {
            problems << problem;
        }
    }
    // A template that names its chip has the --set values read now, before any device is touched.
    if (source.own_ && source.own_->chip) {
        for (Setting &setting : source.sets_) {
            if (QString problem; !resolveSetting(setting, *source.own_->chip, problem)) problems << problem;
        }
    }
    if (problems.size() > before) return std::nullopt;
    return source;
}

std::optional<Template> TemplateSource::forChip(uint32_t chipType, QStringList &problems) const {
    const qsizetype before = problems.size();
    Template result = own_ ? *own_ : ftdiEepromTemplate(ftdiEeprom_, chipType, problems);
    if (result.chip && *result.chip != chipType) {
        problems << QStringLiteral("%1: the template is for an %2; the device is an %3")
                        .arg(result.chipOrigin, safety::chipName(*result.chip), safety::chipName(chipType));
        return std::nullopt;  // its fields are another chip's: one line says it
    }
    std::vector<Setting> sets = sets_;
    for (std::vector<Setting> *settings : {&result.settings, &sets}) {
        for (Setting &setting : *settings) {
            if (QString problem; !resolveSetting(setting, chipType, problem)) problems << problem;
        }
    }
    if (problems.size() > before) return std::nullopt;
    for (const Setting &set : sets) {
        std::erase_if(result.settings, [&](const Setting &setting) { return setting.field == set.field; });
        result.settings.push_back(set);
    }
    return result;
}

}  // namespace kestrom::cli
