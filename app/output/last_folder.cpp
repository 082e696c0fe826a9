#include "last_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "settings_key.h"

namespace kestrom::output {

namespace {

const QString kLastFolderValue = QStringLiteral("sCesta");

QSettings settings() {
    return QSettings(QString::fromLatin1(platform::kSettingsOrganization),
                     QString::fromLatin1(platform::kSettingsApplication));
}

}  // namespace

QString saveDialogFolder() {
    const QSettings store = settings();
    if (store.allKeys().isEmpty()) return QDir::homePath();
    return store.value(kLastFolderValue).toString();
}

void rememberFolderOf(const QString &path) {
    QSettings store = settings();
    store.setValue(kLastFolderValue, QDir::toNativeSeparators(QFileInfo(path).absolutePath() + u'/'));
    store.sync();
}

}  // namespace kestrom::output
