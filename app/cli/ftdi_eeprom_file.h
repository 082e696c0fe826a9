// The configuration files of libftdi1's ftdi_eeprom, read with libconfuse as that
// tool reads them, so that its users can bring their files. Every option that has
// a field of the connected chip sets it; the rest are named as ignored. Only the
// options a file names set anything: the chip keeps what it holds for the others.
#pragma once

#include <QByteArray>
#include <optional>
#include <vector>

#include "template_model.h"

namespace kestrom::cli {

// One option as the file sets it: an integer (numbers and named choices), a
// boolean or a text, and where.
struct FtdiEepromOption {
    QString name;
    long number = 0;
    QString text;
    QString origin;
};

// The options a file named `name` sets; nothing, with libconfuse's complaints (one
// line each, naming the line), when it cannot be read as that tool reads it.
std::optional<std::vector<FtdiEepromOption>> readFtdiEepromFile(const QString &name,
                                                                const QByteArray &content,
                                                                QStringList &problems);

// The settings of those options for a chip of `chipType`; options that set no field
// of it go to `ignored`, values a field does not allow to `problems`.
Template ftdiEepromTemplate(const std::vector<FtdiEepromOption> &options, uint32_t chipType,
                            QStringList &problems);

// `content` with its comments (# and // to the end of the line, /* */) blanked and
// its line breaks kept, so that libconfuse counts lines right.
QByteArray withoutComments(const QByteArray &content);

}  // namespace kestrom::cli
