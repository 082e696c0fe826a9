// The maker's web page, opened in the user's browser.
#pragma once

#include <QUrl>

namespace kestrom::output {

QUrl webPage();
// Silent when no browser can open it.
void openWebPage();

}  // namespace kestrom::output
