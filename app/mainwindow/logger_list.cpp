#include "logger_list.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace kestrom::mainwindow {

namespace {

// "Courier" at 9.75 pt; where the system maps it to a proportional face, its
// own fixed-pitch face at that size instead.
QFont logFont() {
    QFont font(QStringLiteral("Courier"));
    font.setPointSizeF(9.75);
    font.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(font).fixedPitch()) return font;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(9.75);
    return fixed;
}

}  // namespace

LoggerList::LoggerList(QWidget *parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("LoggerList"));
    setAccessibleName(QStringLiteral("Log"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFont(logFont());
    setUniformItemSizes(true);
}

void LoggerList::append(const QString &line) { addItem(line); }

QStringList LoggerList::lines() const {
    QStringList all;
    all.reserve(count());
    for (int i = 0; i < count(); ++i) all << item(i)->text();
    return all;
}

}  // namespace kestrom::mainwindow
