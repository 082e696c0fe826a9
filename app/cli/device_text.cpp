#include "device_text.h"

namespace kestrom::cli {

QString vidPid(uint32_t id) {
    return QStringLiteral("%1:%2")
        .arg(id >> 16, 4, 16, QChar(u'0'))
        .arg(id & 0xFFFF, 4, 16, QChar(u'0'))
        .toUpper();
}

QString printable(const QString &text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category != QChar::Other_Control && category != QChar::Separator_Line &&
            category != QChar::Separator_Paragraph) {
            shown += c;
        } else if (c == u'\n') {
            shown += QStringLiteral("\\n");
        } else if (c == u'\r') {
            shown += QStringLiteral("\\r");
        } else if (c == u'\t') {
            shown += QStringLiteral("\\t");
        } else {
            shown +=
                QStringLiteral("\\x") +
                QStringLiteral("%1").arg(c.unicode(), c.unicode() > 0xFF ? 4 : 2, 16, QChar(u'0')).toUpper();
        }
    }
    return shown;
}

QString alignedColumns(const QList<QStringList> &rows) {
    QList<qsizetype> widths;
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < row.size(); ++column) {
            if (widths.size() <= column) widths.append(0);
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    QString text;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype column = 0; column < row.size(); ++column) {
            line += column + 1 < row.size() ? row[column].leftJustified(widths[column] + 2) : row[column];
        }
        text += line + u'\n';
    }
    return text;
}

FT_STATUS readIdentity(platform::D2xxBinding &d2xx, int index, safety::ChipIdentity &identity) {
    safety::OpenDevice device(d2xx, index);
    if (device.status() != FT_OK) return device.status();
    if (const FT_STATUS status = safety::readIdentity(d2xx, device.handle(), identity); status != FT_OK)
        return status;
    return device.close();
}

}  // namespace kestrom::cli
