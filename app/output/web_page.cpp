#include "web_page.h"

#include <QDesktopServices>

namespace kestrom::output {

QUrl webPage() {
    return QUrl(QStringLiteral("https://kestrom.example/"));
}

void openWebPage() {
    QDesktopServices::openUrl(webPage());
}

}  // namespace kestrom::output
