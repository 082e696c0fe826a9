#include "template_source.h"

#include <QDir>
#include <algorithm>

#include "checked_file.h"
#include "chip_words.h"
#include "template_file.h"

namespace kestrom::cli {

namespace {

// Far more than any template or ftdi_eeprom file holds, far less than a device
// such as /dev/zero would give.
constexpr qint64 kTemplateBytesMax = 256 * 1024;

}  // namespace

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
    } else if (const std::optional<FieldValue> value = parseValue(*field, set.mid(equals + 1), problem)) {
        return Setting{field, *value, QStringLiteral("--set %1").arg(set)};
    } else {
        problem = QStringLiteral("--set %1: %2").arg(set, problem);
    }
    return std::nullopt;
}

std::optional<TemplateSource> TemplateSource::read(const QString &path, const QStringList &sets,
                                                   QStringList &problems) {
    TemplateSource source;
    source.path_ = path;
    const qsizetype before = problems.size();
    QString error;
    const std::optional<QByteArray> read = safety::readFileBounded(path, kTemplateBytesMax, error);
    if (!read) {
        problems << QStringLiteral("%1 cannot be read: %2").arg(QDir::toNativeSeparators(path), error);
        return std::nullopt;
    }
    const QByteArray &content = *read;
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
    if (problems.size() > before) return std::nullopt;
    return source;
}

std::optional<Template> TemplateSource::forChip(uint32_t chipType, QStringList &problems) const {
    const qsizetype before = problems.size();
    Template result = own_ ? *own_ : ftdiEepromTemplate(ftdiEeprom_, chipType, problems);
    for (const Setting &set : sets_) {
        std::erase_if(result.settings, [&](const Setting &setting) { return setting.field == set.field; });
        result.settings.push_back(set);
    }
    const QString chip = safety::chipName(chipType);
    if (result.chip && *result.chip != chipType) {
        problems << QStringLiteral("%1: the template is for an %2; the device is an %3")
                        .arg(result.chipOrigin, safety::chipName(*result.chip), chip);
        return std::nullopt;  // its fields are another chip's: one line says it
    }
    for (const Setting &setting : result.settings) {
        if (!chipHasField(chipType, *setting.field)) {
            problems << QStringLiteral("%1: %2 is not a field of the %3")
                            .arg(setting.origin, QLatin1String(setting.field->name), chip);
        }
    }
    if (problems.size() > before) return std::nullopt;
    return result;
}

}  // namespace kestrom::cli
