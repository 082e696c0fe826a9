#include "ui_language.h"

#include <QCoreApplication>
#include <QLocale>

namespace kestrom::startup {

bool wantsEnglish(const QStringList &uiLanguages) {
    // Qt names the C and POSIX locales (C.UTF-8 too) "C".
    const QLocale::Language language =
        uiLanguages.isEmpty() ? QLocale::C : QLocale(uiLanguages.first()).language();
    return language != QLocale::C && language != QLocale::Czech;
}

bool installTranslation(QTranslator &translator, const QStringList &uiLanguages,
                        const std::filesystem::path &programFolder) {
    if (!wantsEnglish(uiLanguages)) return false;
    const QString folder = QString::fromStdString(programFolder.string());
    for (const char *relative : {"translations", KESTROM_TRANSLATIONS_FROM_PROGRAM}) {
        if (translator.load(QStringLiteral("kestrom_en"), folder + u'/' + QString::fromUtf8(relative))) {
            return QCoreApplication::installTranslator(&translator);
        }
    }
    return false;
}

}  // namespace kestrom::startup
