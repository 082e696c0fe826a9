#include "template_file.h"

#include <ini.h>

#include <QHash>
#include <QList>
#include <cstring>

#include "chip_words.h"

namespace kestrom::cli {

namespace {

const QString kSection = QStringLiteral("template");
const QString kChipKey = QStringLiteral("chip");

// The section "template" in any case, also written "[ template ]".
bool isOwnSection(QByteArrayView section) {
    return QString::fromUtf8(section.trimmed()).compare(kSection, Qt::CaseInsensitive) == 0;
}

bool blankOrComment(const QByteArray &line) {
    const QByteArray text = line.trimmed();
    return text.isEmpty() || text.startsWith('#') || text.startsWith(';');
}

struct Parse {
    QString name;
    QList<QByteArray> lines;
    int line = 0;  // of the line inih works on
    Template result;
    QHash<QString, int> seen;  // key (lower case) -> its line
    QStringList problems;

    void refuse(int at, const QString &why) {
        problems << QStringLiteral("%1: %2").arg(lineOrigin(name, at), why);
    }
};

// Hands inih one whole line per call, so that the count stays right; a line too
// long for inih's buffer is refused rather than cut.
char *readLine(char *buffer, int size, void *stream) noexcept {
    auto &parse = *static_cast<Parse *>(stream);
    if (parse.line >= parse.lines.size() || size < 2) return nullptr;
    QByteArray line = parse.lines[parse.line++];
    if (line.trimmed().startsWith('[')) line = line.trimmed();  // a section may be indented
    const qsizetype kept = std::min<qsizetype>(line.size(), size - 2);
    if (kept < line.size()) parse.refuse(parse.line, QStringLiteral("longer than %1 bytes").arg(size - 2));
    // An indented line would continue the value above it: say so instead.
    if (!line.isEmpty() && (line[0] == ' ' || line[0] == '\t') && !blankOrComment(line)) {
        parse.refuse(parse.line, QStringLiteral("a key starts at the beginning of its line"));
        buffer[0] = '\n';
        buffer[1] = '\0';
        return buffer;
    }
    std::memcpy(buffer, line.constData(), size_t(kept));
    buffer[kept] = '\n';
    buffer[kept + 1] = '\0';
    return buffer;
}

bool firstTime(Parse &parse, const QString &key) {
    const QString folded = key.toLower();
    if (const auto earlier = parse.seen.constFind(folded); earlier != parse.seen.cend()) {
        parse.refuse(
            parse.line,
            QStringLiteral("%1 is set twice (first on line %2)").arg(key, QString::number(*earlier)));
        return false;
    }
    parse.seen.insert(folded, parse.line);
    return true;
}

void takeChip(Parse &parse, const QString &value) {
    const std::optional<uint32_t> chip = chipByName(value);
    if (!chip) {
        parse.refuse(parse.line,
                     QStringLiteral("chip = %1: not a chip Kestrom knows (%2)").arg(value, knownChipNames()));
        return;
    }
    parse.result.chip = chip;
    parse.result.chipOrigin = lineOrigin(parse.name, parse.line);
}

void takeField(Parse &parse, const QString &key, const QString &written) {
    const FieldSpec *field = findField(key);
    if (field == nullptr) {
        parse.refuse(parse.line, QStringLiteral("unknown key '%1'").arg(key));
        return;
    }
    if (!field->settable()) {
        parse.refuse(parse.line, QStringLiteral("%1 is not stored in the EEPROM: it reads as %2")
                                     .arg(QLatin1String(field->name), QLatin1String(field->meaning)));
        return;
    }
    QString problem;
    const std::optional<QString> value =
        field->kind == FieldKind::Text ? unquoteText(written, problem) : std::optional<QString>(written);
    if (!value) {
        parse.refuse(parse.line,
                     QStringLiteral("%1 = %2: %3").arg(QLatin1String(field->name), written, problem));
        return;
    }
    // The value is read once the chip is known: the file's, or the device's.
    Setting setting;
    setting.origin = lineOrigin(parse.name, parse.line);
    setting.name = QLatin1String(field->name);
    setting.written = *value;
    setting.statement = QStringLiteral("%1: %2 = %3").arg(setting.origin, setting.name, written);
    if (parse.result.chip) {
        if (!resolveSetting(setting, *parse.result.chip, problem)) {
            parse.problems << problem;
            return;
        }
    } else if (const QString why = problemOnEveryChip(setting.name, setting.written); !why.isEmpty()) {
        parse.problems << QStringLiteral("%1: %2").arg(setting.statement, why);
        return;
    }
    parse.result.settings.push_back(std::move(setting));
}

// Called from C: nothing may escape.
int collect(void *user, const char *section, const char *name, const char *value) noexcept {
    try {
        auto &parse = *static_cast<Parse *>(user);
        const QString key = QString::fromUtf8(name);
        if (!isOwnSection(section)) {
            parse.refuse(parse.line, QStringLiteral("keys belong in the [template] section"));
        } else if (firstTime(parse, key)) {
            if (key.compare(kChipKey, Qt::CaseInsensitive) == 0) {
                takeChip(parse, QString::fromUtf8(value));
            } else {
                takeField(parse, key, QString::fromUtf8(value));
            }
        }
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace

bool isKestromTemplate(const QByteArray &content) {
    for (const QByteArray &line : content.split('\n')) {
        if (blankOrComment(line)) continue;
        const QByteArray text = line.trimmed();
        return text.startsWith('[') && text.endsWith(']') && isOwnSection(text.sliced(1, text.size() - 2));
    }
    return false;
}

std::optional<QString> unquoteText(const QString &written, QString &problem) {
    if (!written.startsWith(u'"')) return written;
    QString text;
    for (qsizetype i = 1; i < written.size(); ++i) {
        const QChar c = written[i];
        if (c == u'"') {
            if (i + 1 == written.size()) return text;
            problem = QStringLiteral("something follows the closing quote");
            return std::nullopt;
        }
        if (c == u'\\') {
            const QChar next = i + 1 < written.size() ? written[i + 1] : QChar();
            if (next != u'\\' && next != u'"' && next != u';') {
                problem = QStringLiteral("inside quotes a backslash goes before \\, \" or ; only");
                return std::nullopt;
            }
            text += next;
            ++i;
        } else {
            text += c;
        }
    }
    problem =
        QStringLiteral("the closing quote is missing (a ';' after a space starts a comment: write \\;)");
    return std::nullopt;
}

std::optional<Template> parseTemplate(const QString &name, const QByteArray &content, QStringList &problems) {
    Parse parse;
    parse.name = name;
    parse.lines = content.split('\n');
    if (content.endsWith('\n')) parse.lines.removeLast();
    // A positive result names the first line inih could not read; the rest still counts.
    if (const int firstError = ini_parse_stream(&readLine, &parse, &collect, &parse); firstError > 0) {
        parse.refuse(firstError, QStringLiteral("not a [section] or key = value line"));
    }
    if (parse.result.chip) {
        for (Setting &setting : parse.result.settings) {
            QString problem;
            if (setting.field == nullptr && !resolveSetting(setting, *parse.result.chip, problem))
                parse.problems << problem;
        }
    }
    if (!parse.problems.isEmpty()) {
        problems << parse.problems;
        return std::nullopt;
    }
    return std::move(parse.result);
}

namespace {

// A comment as lines of at most 90 characters, broken between words (a long list of
// pin functions would not fit a line the reader takes).
QString commentLines(const QString &comment) {
    constexpr qsizetype kWidth = 90;
    QString lines, line = QStringLiteral("#");
    for (const QString &word : comment.split(u' ', Qt::SkipEmptyParts)) {
        if (line.size() > 1 && line.size() + 1 + word.size() > kWidth) {
            lines += line + u'\n';
            line = QStringLiteral("#");
        }
        line += u' ' + word;
    }
    return lines + line + u'\n';
}

}  // namespace

QByteArray templateText(uint32_t chipType, const EepromContents &contents, const QString &source) {
    QString text = QStringLiteral(
                       "# Kestrom template for an %1, saved from %2.\n"
                       "# Each key is a setting the chip's EEPROM holds. A template sets only the keys\n"
                       "# it names: delete a line and the chip keeps what it holds. Texts go in double\n"
                       "# quotes; inside them \\\" is a quote, \\\\ a backslash and \\; a semicolon.\n"
                       "[template]\n"
                       "# The chip kind: %3\n"
                       "chip = %1\n")
                       .arg(safety::chipName(chipType), source, knownChipNames());
    for (const FieldSpec *field : chipFields(chipType)) {
        if (!field->settable()) continue;
        const QString comment =
            QStringLiteral("%1: %2%3")
                .arg(QLatin1String(field->meaning), allowedValues(*field),
                     field->chipFixed ? QStringLiteral(" (a template may only repeat the chip's)")
                                      : QString());
        text += u'\n' + commentLines(comment) +
                QStringLiteral("%1 = %2\n")
                    .arg(QLatin1String(field->name), formatValue(*field, valueOf(*field, contents)));
    }
    return text.toUtf8();
}

}  // namespace kestrom::cli
