// The program's help page (a local file installed with it, or the address the
// build names), opened in the user's browser.
#pragma once

#include <QUrl>

namespace kestrom::output {

QUrl webPage();
// Silent when no browser can open it.
void openWebPage();

}  // namespace kestrom::output
