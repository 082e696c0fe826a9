// A template file of either kind (Kestrom's own, or an ftdi_eeprom configuration
// file), read once before any device is touched, and the settings it makes for a
// given chip, with the command line's --set Field=Value after its own.
#pragma once

#include <optional>
#include <vector>

#include "ftdi_eeprom_file.h"
#include "template_model.h"

namespace kestrom::cli {

class TemplateSource {
public:
    // Reads `path` and the --set texts; nothing, with every problem (one line each),
    // when either is refused.
    static std::optional<TemplateSource> read(const QString &path, const QStringList &sets,
                                              QStringList &problems);

    // The settings for a chip of `chipType`; nothing, with the problems, when they
    // do not suit it (another chip kind, a field it lacks).
    std::optional<Template> forChip(uint32_t chipType, QStringList &problems) const;

    const QString &path() const { return path_; }

private:
    QString path_;
    std::optional<Template> own_;
    std::vector<FtdiEepromOption> ftdiEeprom_;
    std::vector<Setting> sets_;
};

// The text of a template or an ftdi_eeprom file (or of a file one includes),
// without a UTF-8 byte-order mark; nothing, with the reasons (one line each, naming
// the file and line), for a folder, a file that cannot be read, text that is not
// UTF-8, or a NUL byte, which would end its line early.
std::optional<QByteArray> readTemplateText(const QString &path, QStringList &problems);

// One --set Field=Value; nothing, with the reason, when it is refused.
std::optional<Setting> parseSet(const QString &set, QString &problem);

}  // namespace kestrom::cli
