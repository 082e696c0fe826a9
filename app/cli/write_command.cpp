// `kestrom write TEMPLATE [--set Field=Value ...]`: one device programmed from a
// template (or an ftdi_eeprom configuration file). Only the fields it names
// change; every problem is said, naming its line, before anything is written.
#include <QDir>

#include "cli_common.h"
#include "commands.h"
#include "device_text.h"
#include "template_apply.h"

namespace kestrom::cli {

namespace {

const QString kSet = QStringLiteral("set");

}  // namespace

int runWrite(const QStringList &arguments) {
    Arguments args(
        "write", "TEMPLATE [--device N | --serial S] [--set Field=Value ...]",
        "Programs one device from TEMPLATE: a template of 'kestrom template save', or a\n"
        "configuration file of libftdi1's ftdi_eeprom. Only the fields it names change. A backup of\n"
        "what the device held is made first, and every field is read back afterwards.");
    args.addDeviceOptions();
    args.addOption(QCommandLineOption(kSet,
                                      QStringLiteral("Set a field besides the template (again for more)."),
                                      QStringLiteral("Field=Value")));
    if (const std::optional<int> done = args.parse(arguments, {QStringLiteral("TEMPLATE")})) return *done;
    QStringList problems;
    const std::optional<TemplateSource> source =
        TemplateSource::read(args.positional().first(), args.parser().values(kSet), problems);
    if (!source) return args.failures(kBadInput, problems);
    int exitCode = kDone;
    const std::unique_ptr<DeviceChange> chosen = readChosenDevice(args, exitCode);
    if (!chosen) return exitCode;
    DeviceChange &change = *chosen;
    const int index = change.index();
    if (const QString problem = layoutProblem(change.chipType()); !problem.isEmpty()) {
        return args.failure(kDeviceFailed, problem);
    }
    QStringList notes;
    if (const std::optional<safety::InterruptedChange> interrupted = change.interruptedChange())
        notes << interruptedNote(*interrupted, change.before());
    const std::optional<EepromContents> contents = contentsFor(change, *source, {}, problems, notes);
    for (const QString &note : notes)
        printError(QString::fromLatin1(args.name()), QStringLiteral("note: %1").arg(note));
    if (!contents) return args.failures(kBadInput, problems);
    if (const int changed = changeDevice(args, change, QStringLiteral("Write"), change.imageOf(*contents),
                                         [&](QString &error) { return change.program(*contents, error); });
        changed != kDone) {
        return changed;
    }
    const uint32_t id = uint32_t(contents->fields.VendorId) << 16 | contents->fields.ProductId;
    printOut(QStringLiteral("Programmed %1 (%2) from %3 and read it back\nBackup: %4\n")
                 .arg(args.deviceName(index), safety::chipName(change.chipType()),
                      QDir::toNativeSeparators(source->path()), QDir::toNativeSeparators(change.backup())));
    if (id != change.before().identity.id) {
        printOut(
            QStringLiteral("The device comes back as %1 after it is plugged in again.\n").arg(vidPid(id)));
    }
    return kDone;
}

}  // namespace kestrom::cli
