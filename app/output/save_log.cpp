#include "save_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "checked_file.h"
#include "dialogs.h"
#include "last_folder.h"
#include "log_text.h"

namespace kestrom::output {

namespace {

using dialogs::programDialogs;

void explain(const QString &text, const QString &path, const QString &reason) {
    programDialogs().inform(nullptr, dialogs::MessageIcon::Information, text,
                            QDir::toNativeSeparators(path) + u'\n' + reason);
}

// Why an existing file may not be written; empty when it may. Only a regular file
// is (opening a pipe would wait for a reader); the probe opens it without truncating. A file without any write permission counts as read-only
// even for a user whom the system would let write it.
QString whyNotWritable(const QString &path) {
    if (!QFileInfo(path).isFile()) return QStringLiteral("It is not a regular file");
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) return probe.errorString();
    const QFileDevice::Permissions writable =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!(probe.permissions() & writable))
        return QCoreApplication::translate("SaveLog", "The file is read-only");
    return {};
}

SaveResult WriteLogFile(safety::CheckedFile &file, const QString &path, const QStringList &lines) {
    if (!file.write(joinLines(lines).toLocal8Bit()) || !file.commit()) {
        explain(QCoreApplication::translate("SaveLog", "Soubor není uložen celý"), path, file.errorString());
        return SaveResult::Incomplete;
    }
    rememberFolderOf(path);
    return SaveResult::Saved;
}

}  // namespace

QString ShowSaveDialog(QWidget *owner) {
    const std::optional<dialogs::SaveDialogChoice> choice =
        programDialogs().saveFile(owner, {QCoreApplication::translate("SaveLog", "Save File"),
                                          {QCoreApplication::translate("SaveLog", "Text Files (*.txt)"),
                                           QCoreApplication::translate("SaveLog", "All Files (*.*)")},
                                          saveDialogFolder()});
    if (!choice) return {};
    QString path = choice->path.trimmed();
    if (path.isEmpty()) return {};
    if (choice->filter == 0 && !path.contains(QLatin1String(".txt"), Qt::CaseInsensitive)) {
        path += QLatin1String(".txt");
    }
    return path;
}

SaveResult SaveLogToFile(const QString &path, const QStringList &lines) {
    if (path.isEmpty()) return SaveResult::CannotOpen;  // a cancelled dialog
    const bool replacing = QFileInfo::exists(path);
    if (replacing) {
        if (const QString reason = whyNotWritable(path); !reason.isEmpty()) {
            explain(QCoreApplication::translate("SaveLog", "Soubor nejde uložit."), path, reason);
            return SaveResult::CannotOpen;
        }
        if (!programDialogs().askYesNo(nullptr, QCoreApplication::translate(
                                                    "SaveLog", "Soubor už existuje. Chcete soubor přepsat?")))
            return SaveResult::Declined;
    }
    // Written beside the target and renamed over it at the end: an old file
    // stays whole until the new one is.
    safety::CheckedFile file(path);
    if (!file.open()) {
        explain(replacing ? QCoreApplication::translate("SaveLog", "Soubor nejde přepsat?")
                          : QCoreApplication::translate("SaveLog", "Soubor nejde uložit."),
                path, file.errorString());
        return replacing ? SaveResult::CannotReplace : SaveResult::CannotOpen;
    }
    return WriteLogFile(file, path, lines);
}

}  // namespace kestrom::output
