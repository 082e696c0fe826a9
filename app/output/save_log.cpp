#include "save_log.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "last_folder.h"
#include "log_text.h"

namespace kestrom::output {

namespace {

const QString kTextFilter = QStringLiteral("Text Files (*.txt)");
const QString kAllFilter = QStringLiteral("All Files (*.*)");

void explain(Dialogs &dialogs, const QString &text, const QString &path, const QString &reason) {
    dialogs.inform(nullptr, QMessageBox::Information, text, QDir::toNativeSeparators(path) + u'\n' + reason);
}

// Why an existing file may not be written; empty when it may. The probe opens it
// without truncating. A file without any write permission counts as read-only
// even for a user whom the system would let write it.
QString whyNotWritable(const QString &path) {
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) return probe.errorString();
    const QFileDevice::Permissions writable =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!(probe.permissions() & writable)) return QStringLiteral("The file is read-only");
    return {};
}

int32_t WriteLogFile(QSaveFile &file, const QString &path, const QStringList &lines, Dialogs &dialogs) {
    const QByteArray bytes = joinLines(lines).toLocal8Bit();
    const bool whole = file.write(bytes) == bytes.size();
    QString reason = file.errorString();
    if (!whole) file.cancelWriting();
    if (!whole || !file.commit()) {
        if (whole) reason = file.errorString();
        explain(dialogs, QStringLiteral("Soubor není uložen celý"), path, reason);
        return kIncomplete;
    }
    rememberFolderOf(path);
    return kSaved;
}

}  // namespace

QString ShowSaveDialog(QWidget *owner, Dialogs &dialogs) {
    const std::optional<SaveDialogChoice> choice =
        dialogs.saveFile(owner, {QStringLiteral("Save File"), {kTextFilter, kAllFilter}, saveDialogFolder()});
    if (!choice) return {};
    QString path = choice->path.trimmed();
    if (path.isEmpty()) return {};
    if (choice->filter == 0 && !path.contains(QLatin1String(".txt"), Qt::CaseInsensitive)) {
        path += QLatin1String(".txt");
    }
    return path;
}

int32_t SaveLogToFile(const QString &path, const QStringList &lines, Dialogs &dialogs) {
    if (path.isEmpty()) return kCannotOpen;  // a cancelled dialog
    const bool replacing = QFileInfo::exists(path);
    if (replacing) {
        if (const QString reason = whyNotWritable(path); !reason.isEmpty()) {
            explain(dialogs, QStringLiteral("Soubor nejde uložit."), path, reason);
            return kCannotOpen;
        }
        if (!dialogs.askYesNo(nullptr, QStringLiteral("Soubor už existuje. Chcete soubor přepsat?")))
            return kDeclined;
    }
    // Written beside the target and renamed over it at the end: an old file
    // stays whole until the new one is.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        explain(dialogs,
                replacing ? QStringLiteral("Soubor nejde přepsat?") : QStringLiteral("Soubor nejde uložit."),
                path, file.errorString());
        return replacing ? kCannotReplace : kCannotOpen;
    }
    return WriteLogFile(file, path, lines, dialogs);
}

}  // namespace kestrom::output
