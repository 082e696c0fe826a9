#include "logger_list.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>

#include "log_header.h"

namespace kestrom::output {

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

void LoggerList::append(const QString &line) {
    appendLines(QStringList{line});
}

void LoggerList::appendLines(QStringList lines) {
    const int kept = std::min(count(), kLogHeaderLines);
    const qsizetype room = kMaxLogLines - kept;
    if (lines.size() > room) lines = lines.mid(lines.size() - room);
    const int excess = count() + static_cast<int>(lines.size()) - kMaxLogLines;
    if (excess > 0) model()->removeRows(kept, excess);
    insertItems(count(), lines);
}

QStringList LoggerList::lines() const {
    QStringList all;
    all.reserve(count());
    for (int i = 0; i < count(); ++i) all << item(i)->text();
    return all;
}

// From the selection's ranges, so a scattered selection costs no more than a whole one.
std::vector<bool> LoggerList::selectedRows() const {
    std::vector<bool> selected(static_cast<size_t>(count()), false);
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) selected[static_cast<size_t>(row)] = true;
    }
    return selected;
}

void LoggerList::replaceLines(const QStringList &lines) {
    clear();
    appendLines(lines);
}

void LoggerList::clearLog() {
    clear();
    reports::WriteLogHeader(*this);
}

void LoggerList::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            clearLog();
            event->accept();
            return;
        case Qt::Key_C:
        case Qt::Key_V:
        case Qt::Key_X:
            // Copy, Paste and Cut are the menu's: the list must not copy its current line itself.
            if (modifiers == Qt::ControlModifier) {
                event->accept();
                return;
            }
            break;
        default:
            break;
    }
    QListWidget::keyPressEvent(event);
}

}  // namespace kestrom::output
