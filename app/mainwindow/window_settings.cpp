#include "window_settings.h"

#include <QSettings>

namespace kestrom::mainwindow {

std::optional<WindowSettings> loadWindowSettings() {
    const QSettings settings{QString(kSettingsOrganization), QString(kSettingsApplication)};
    if (settings.allKeys().isEmpty()) return std::nullopt;
    WindowSettings s;
    s.top = settings.value(QStringLiteral("x"), 0).toInt();
    s.left = settings.value(QStringLiteral("y"), 0).toInt();
    s.textInfo = settings.value(QStringLiteral("text_info"), 0).toInt();
    s.binaryInfo = settings.value(QStringLiteral("binary_info"), s.textInfo).toInt();
    s.height = settings.value(QStringLiteral("Height"), 0).toInt();
    return s;
}

void saveWindowSettings(const WindowSettings &s) {
    QSettings settings{QString(kSettingsOrganization), QString(kSettingsApplication)};
    settings.setValue(QStringLiteral("x"), s.top);
    settings.setValue(QStringLiteral("y"), s.left);
    settings.setValue(QStringLiteral("text_info"), s.textInfo);
    settings.setValue(QStringLiteral("binary_info"), s.binaryInfo);
    settings.setValue(QStringLiteral("Height"), s.height);
    settings.sync();
}

}  // namespace kestrom::mainwindow
