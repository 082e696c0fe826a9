#include "log_text.h"

namespace kestrom::output {

QString joinLines(const QStringList &lines) {
    qsizetype size = 0;
    for (const QString &line : lines) size += line.size() + 2;
    QString text;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

QStringList splitLines(QStringView text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') continue;
        lines << text.sliced(start, i - start).toString();
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines << text.sliced(start).toString();
    return lines;
}

}  // namespace kestrom::output
