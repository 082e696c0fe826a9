// Expected log lines, kept as text files under expected/ (one log line a line).
#pragma once

#include <QFile>
#include <QStringList>
#include <string>
#include <vector>

// The files' lines one after another, as a single text for a readable diff.
inline std::string expectedText(const std::vector<const char *> &files) {
    QStringList lines;
    for (const char *name : files) {
        QFile file(QStringLiteral(KESTROM_EXPECTED_DIR "/") + QLatin1String(name));
        if (!file.open(QIODevice::ReadOnly)) return std::string("missing expected file ") + name;
        QStringList own = QString::fromUtf8(file.readAll()).split(u'\n');
        own.removeLast();  // after the final line end
        lines += own;
    }
    return lines.join(u'\n').toStdString();
}

inline std::string joined(const QStringList &lines) {
    return lines.join(u'\n').toStdString();
}
