// The language of the window. The program's own texts (partly Czech) stand as they
// are under the C or POSIX locale and in Czech; every other user-interface
// language gets them in English. The log, the reports, saved and printed logs,
// backups and the command line are the program's output format and stay as they
// are in every language: their texts are never marked for translation.
#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>
#include <filesystem>

namespace kestrom::startup {

// True when the first of `uiLanguages`, as QLocale::uiLanguages() gives them
// ("en-US", "cs-CZ", "C"), asks for English.
bool wantsEnglish(const QStringList &uiLanguages);

// Loads the English texts into `translator` and installs it when `uiLanguages` ask
// for English: the file beside the program (the build), else the installed one.
// True when installed; without the file the window shows its own texts.
bool installTranslation(QTranslator &translator, const QStringList &uiLanguages,
                        const std::filesystem::path &programFolder);

}  // namespace kestrom::startup
