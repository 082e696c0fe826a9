#include "template_source.h"

#include <QByteArrayView>
#include <QDir>
#include <algorithm>

#include "checked_file.h"
#include "chip_words.h"
#include "template_file.h"

namespace kestrom::cli {

namespace {

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

// Far more than any template or ftdi_eeprom file holds, far less than a device
// such as /dev/zero would give.
constexpr qint64 kTemplateBytesMax = 256 * 1024;

// The file's bytes as they are; nothing, with the reason, when it cannot be read.
std::optional<QByteArray> readBytes(const QString &path, QString &problem) {
    QString error;
    std::optional<QByteArray> content = safety::readFileBounded(path, kTemplateBytesMax, error);
    if (!content) problem = QStringLiteral("%1 cannot be read: %2").arg(QDir::toNativeSeparators(path), error);
    return content;
}

// Where the first byte of `line` that is not part of a UTF-8 character is; -1 when
// there is none.
qsizetype firstNonUtf8(QByteArrayView line) {
    for (qsizetype at = 0; at < line.size();) {
        const auto lead = static_cast<unsigned char>(line[at]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (!line.sliced(at, std::min(length, line.size() - at)).isValidUtf8()) return at;
        at += length;
    }
    return -1;
}

void checkText(const QString &name, const QByteArray &content, QStringList &problems) {
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString where = lineOrigin(name, int(i + 1));
        if (const qsizetype nul = lines[i].indexOf('\0'); nul >= 0) {
            problems << QStringLiteral("%1: a NUL byte at column %2: the file is not text")
                            .arg(where)
                            .arg(nul + 1);
        } else if (const qsizetype bad = firstNonUtf8(lines[i]); bad >= 0) {
            problems << QStringLiteral("%1: byte 0x%2 at column %3 is not UTF-8 text: save the file as UTF-8")
                            .arg(where)
                            .arg(uint(static_cast<unsigned char>(lines[i][bad])), 2, 16, QLatin1Char('0'))
                            .arg(bad + 1);
        }
    }
}

}  // namespace

std::optional<QByteArray> readTemplateText(const QString &path, QStringList &problems) {
    QString problem;
    std::optional<QByteArray> content = readBytes(path, problem);
    if (!content) {
        problems << problem;
        return std::nullopt;
    }
    const qsizetype before = problems.size();
    checkText(QDir::toNativeSeparators(path), *content, problems);
    if (problems.size() > before) return std::nullopt;
    if (content->startsWith(kByteOrderMark)) content->remove(0, kByteOrderMark.size());
    return content;
}

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
    const std::optional<QByteArray> content = readTemplateText(path, problems);
    if (!content) return std::nullopt;
    const QString name = QDir::toNativeSeparators(path);
    if (content->trimmed().isEmpty()) {
        problems << QStringLiteral("%1 is empty: there is nothing to program").arg(name);
        return std::nullopt;
    }
    if (isKestromTemplate(*content)) {
        source.own_ = parseTemplate(name, *content, problems);
    } else if (auto options = readFtdiEepromFile(name, *content, problems)) {
        source.ftdiEeprom_ = std::move(*options);
        if (source.ftdiEeprom_.empty()) {
            problems << QStringLiteral(
                            "%1 sets nothing: it holds no option of libftdi1's ftdi_eeprom, and "
                            "no [template] section")
                            .arg(name);
        }
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
