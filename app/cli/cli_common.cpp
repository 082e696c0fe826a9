#include "cli_common.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <array>
#include <cstdio>

#include "device_access.h"
#include "libraries.h"
#include "settings_help.h"
#include "status_text.h"

namespace kestrom::cli {

namespace {

const QString kDevice = QStringLiteral("device");
const QString kSerial = QStringLiteral("serial");
constexpr size_t kSerialBuffer = 64;  // FT_ListDevices by index takes at least 64 bytes

void print(FILE *stream, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString optionNames(const QCommandLineOption &option) {
    QStringList names;
    for (const QString &name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty()) text += QStringLiteral(" <%1>").arg(option.valueName());
    return text;
}

}  // namespace

void printOut(const QString &text) {
    print(stdout, text);
}

void printError(const QString &command, const QString &message) {
    QString line = message;
    line.replace(u'\n', u' ');
    print(stderr, QStringLiteral("kestrom %1: %2\n").arg(command, line));
}

QString statusText(FT_STATUS status) {
    QString name = reports::StatusText(int64_t(status));
    name.remove(u'*');
    const QString text = QStringLiteral("status %1 (%2)").arg(status).arg(name.trimmed());
    if (status != FT_DEVICE_NOT_OPENED) return text;
    // The driver answers 3 both for a device another program holds and for a device
    // node this user may not open; only the second is mended by the udev rule.
    if (reports::DeviceNodeRefused()) return text + QStringLiteral(". ") + reports::UdevRuleHint();
    return text + QStringLiteral(": the device is in use by another program");
}

Arguments::Arguments(const char *name, const char *usage, const char *about)
    : name_(name), usage_(usage), about_(about) {
    parser_.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    addOption(
        QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")));
}

void Arguments::addDeviceOptions(bool bySerial) {
    deviceOptions_ = true;
    bySerial_ = bySerial;
    addOption(QCommandLineOption(kDevice, QStringLiteral("The device with index N (default 0)."),
                                 QStringLiteral("N"), QStringLiteral("0")));
    if (bySerial) {
        addOption(QCommandLineOption(kSerial, QStringLiteral("The device with USB serial number S."),
                                     QStringLiteral("S")));
    }
}

std::optional<int> Arguments::parse(const QStringList &arguments, const QStringList &positional) {
    if (!parser_.parse(arguments)) return usageError(parser_.errorText());
    if (parser_.isSet(QStringLiteral("help"))) {
        printOut(helpText());
        return kDone;
    }
    const QStringList given = parser_.positionalArguments();
    if (given.size() > positional.size()) {
        return usageError(QStringLiteral("unexpected argument '%1'").arg(given[positional.size()]));
    }
    if (given.size() < positional.size())
        return usageError(QStringLiteral("%1 is missing").arg(positional[given.size()]));
    if (deviceOptions_) {
        if (bySerial_ && parser_.isSet(kDevice) && parser_.isSet(kSerial)) {
            return usageError(
                QStringLiteral("--device and --serial choose the same thing: give one of them"));
        }
        bool number = false;
        const int index = parser_.value(kDevice).toInt(&number);
        if (!number || index < 0) {
            return usageError(QStringLiteral("--device takes a device index (0, 1, ...), not '%1'")
                                  .arg(parser_.value(kDevice)));
        }
        if (bySerial_ && parser_.isSet(kSerial) && parser_.value(kSerial).isEmpty()) {
            return usageError(QStringLiteral("--serial takes a serial number"));
        }
    }
    return std::nullopt;
}

std::optional<int> Arguments::deviceIndex(platform::D2xxBinding &d2xx, int &exitCode) const {
    if (!bySerial_ || !parser_.isSet(kSerial)) return parser_.value(kDevice).toInt();
    const QString wanted = parser_.value(kSerial);
    uint32_t count = 0;
    if (const FT_STATUS status = d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY); status != FT_OK) {
        exitCode = failure(kDeviceFailed,
                           QStringLiteral("the devices could not be listed: %1").arg(statusText(status)));
        return std::nullopt;
    }
    QList<int> matches;
    for (uint32_t index = 0; index < count; ++index) {
        std::array<char, kSerialBuffer> serial{};
        if (d2xx.FT_ListDevices(reinterpret_cast<void *>(uintptr_t(index)), serial.data(),
                                FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER) == FT_OK) {
            serial.back() = '\0';
            if (QString::fromUtf8(serial.data()) == wanted) matches << int(index);
        }
    }
    if (matches.size() == 1) return matches.first();
    if (matches.isEmpty()) {
        exitCode = failure(kDeviceFailed, QStringLiteral("no device has the serial number '%1'").arg(wanted));
    } else {
        QStringList indexes;
        for (int index : matches) indexes << QString::number(index);
        exitCode =
            failure(kDeviceFailed,
                    QStringLiteral("devices %1 all have the serial number '%2': choose one with --device")
                        .arg(indexes.join(QStringLiteral(", ")), wanted));
    }
    return std::nullopt;
}

std::optional<Arguments::ChosenDevice> Arguments::chooseDevice(int &exitCode) const {
    platform::D2xxBinding *d2xx = loadedDriver(name_);
    if (d2xx == nullptr) {
        exitCode = kDeviceFailed;
        return std::nullopt;
    }
    const std::optional<int> index = deviceIndex(*d2xx, exitCode);
    if (!index) return std::nullopt;
    return ChosenDevice{d2xx, *index,
                        bySerial_ && parser_.isSet(kSerial) ? parser_.value(kSerial) : QString()};
}

int Arguments::readFailure(int index, FT_STATUS status) const {
    return failure(kDeviceFailed,
                   QStringLiteral("%1 could not be read: %2").arg(deviceName(index), statusText(status)));
}

QString Arguments::deviceName(int index) const {
    if (bySerial_ && parser_.isSet(kSerial)) {
        return QStringLiteral("device %1 (serial %2)").arg(index).arg(parser_.value(kSerial));
    }
    return QStringLiteral("device %1").arg(index);
}

int Arguments::usageError(const QString &problem) const {
    QString text = problem;
    if (text.endsWith(u'.')) text.chop(1);
    printError(QString::fromLatin1(name_),
               QStringLiteral("%1 (see 'kestrom %2 --help')").arg(text, QString::fromLatin1(name_)));
    return kBadInput;
}

int Arguments::failure(int code, const QString &problem) const {
    printError(QString::fromLatin1(name_), problem);
    return code;
}

int Arguments::failures(int code, const QStringList &problems) const {
    for (const QString &problem : problems) failure(code, problem);
    return code;
}

QString Arguments::helpText() const {
    QString text =
        QStringLiteral("Usage: kestrom %1 %2\n%3\n\nOptions:\n")
            .arg(QString::fromLatin1(name_), QString::fromLatin1(usage_), QString::fromLatin1(about_));
    qsizetype width = 0;
    for (const QCommandLineOption &option : options_) width = std::max(width, optionNames(option).size());
    for (const QCommandLineOption &option : options_) {
        text += QStringLiteral("  %1  %2\n").arg(optionNames(option), -int(width)).arg(option.description());
    }
    return text + settingsHelpNote(name_);
}

platform::D2xxBinding *loadedDriver(const char *command) {
    // A devices file that is not there would read as no devices at all.
    if (const QString simulated = qEnvironmentVariable("FTD2XX_SIM"); !simulated.isEmpty()) {
        const QFileInfo file(simulated);
        if (!file.isFile() || !file.isReadable()) {
            printError(QString::fromLatin1(command),
                       QStringLiteral("FTD2XX_SIM names %1, which %2")
                           .arg(QDir::toNativeSeparators(simulated),
                                file.exists() ? QStringLiteral("is not a readable simulated-devices file")
                                              : QStringLiteral("does not exist")));
            return nullptr;
        }
    }
    platform::D2xxBinding &d2xx = platform::programLibraries().d2xx;
    if (d2xx.load()) return &d2xx;
    printError(QString::fromLatin1(command), QString::fromStdString(d2xx.message()));
    return nullptr;
}

}  // namespace kestrom::cli
