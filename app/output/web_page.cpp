#include "web_page.h"

#include <QDesktopServices>
#include <QFileInfo>

#include "program_folder.h"

namespace kestrom::output {

namespace {

// The help page beside the program (the build), else where the installation puts it.
QString helpPageFile() {
    const QString folder = QString::fromStdString(platform::programFolder().string());
    for (const char *relative : {"help.html", KESTROM_HELP_FROM_PROGRAM}) {
        const QFileInfo page(folder + u'/' + QString::fromUtf8(relative));
        if (page.isFile()) return page.canonicalFilePath();
    }
    return {};
}

}  // namespace

QUrl webPage() {
    static const QUrl page = [] {
        const QString address = QStringLiteral(KESTROM_HELP_URL);
        return address.isEmpty() ? QUrl::fromLocalFile(helpPageFile()) : QUrl(address);
    }();
    return page;
}

void openWebPage() {
    QDesktopServices::openUrl(webPage());
}

}  // namespace kestrom::output
