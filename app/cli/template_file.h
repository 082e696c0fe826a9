// Kestrom's own templates: an INI file with a [template] section that names the
// chip kind and holds one key per record field it sets, the record's field names
// as keys, each with a comment naming the values it allows.
#pragma once

#include <QByteArray>
#include <optional>

#include "template_model.h"

namespace kestrom::cli {

// True when the first line that is not blank or a comment is "[template]".
bool isKestromTemplate(const QByteArray &content);

// The settings of a template named `name`; nothing, with every refused line in
// `problems` (one line each, naming the line), when any key or value is refused.
std::optional<Template> parseTemplate(const QString &name, const QByteArray &content, QStringList &problems);

// A template of every settable field of `chipType` as `contents` hold them.
// `source` says where they came from, for the header comment.
QByteArray templateText(uint32_t chipType, const EepromContents &contents, const QString &source);

// A text as a template writes it, and back. `unquoteText` takes a value with or
// without quotes; nothing, with the reason, for a broken quote or escape.
std::optional<QString> unquoteText(const QString &written, QString &problem);

}  // namespace kestrom::cli
