// The log as one text: what the clipboard and the saved file carry.
#pragma once

#include <QStringList>

namespace kestrom::output {

// Every line followed by CR LF, the last one included.
QString joinLines(const QStringList &lines);
// CR LF, a lone CR and a lone LF each end a line; text after the last break is a line too.
QStringList splitLines(QStringView text);

}  // namespace kestrom::output
