#include "system_info.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

#include "dialogs.h"

namespace kestrom::output {

QStringList knownSystemInfoTools() {
    return {QStringLiteral("msinfo32"), QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"), QStringLiteral("gnome-system-monitor")};
}

QString findSystemInfoTool(const QStringList &folders) {
    for (const QString &tool : knownSystemInfoTools()) {
        const QString path = QStandardPaths::findExecutable(tool, folders);
        if (!path.isEmpty()) return path;
    }
    return {};
}

void StartSysInfo(QWidget *owner, const QStringList &folders) {
    const QString tool = findSystemInfoTool(folders);
    if (!tool.isEmpty() && QProcess::startDetached(tool, {})) return;
    dialogs::programDialogs().inform(
        owner, dialogs::MessageIcon::None,
        QCoreApplication::translate("AboutBox", "System Information Is Unavailable At This Time"));
}

}  // namespace kestrom::output
