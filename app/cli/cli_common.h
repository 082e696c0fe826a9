// What every subcommand shares: exit codes, one-line failures on standard error,
// its own options and --help, the choice of device (--device N or --serial S),
// and the driver.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <optional>

#include "d2xx_binding.h"

namespace kestrom::cli {

enum ExitCode : int {
    kDone = 0,
    kDeviceFailed = 1,  // the device failed or refused; a file could not be written
    kBadInput = 2,      // bad usage or bad input
};

void printOut(const QString &text);
// One failure: "kestrom <command>: <message>" on a line of its own.
void printError(const QString &command, const QString &message);
// A D2XX status as a message says it: "status 2 (FT DEVICE NOT FOUND)". A device
// that did not open (3) is said to be in use by another program, or, when its device
// node refuses this user, the udev rule is named.
QString statusText(FT_STATUS status);

// One subcommand's arguments: its options, --help, and a usage error as one line.
class Arguments {
public:
    // `usage` follows "kestrom <name> " in the help; `about` is the help's text.
    Arguments(const char *name, const char *usage, const char *about);

    QCommandLineParser &parser() { return parser_; }
    const char *name() const { return name_; }
    void addOption(const QCommandLineOption &option) {
        parser_.addOption(option);
        options_ << option;
    }
    // Also takes --device N, and --serial S unless `bySerial` is false.
    void addDeviceOptions(bool bySerial = true);

    // Parses `arguments` (the command's name first). Nothing when the command is to
    // run; otherwise its exit code: 0 after --help, 2 after a usage error. `positional`
    // names the arguments the command takes ("FILE").
    std::optional<int> parse(const QStringList &arguments, const QStringList &positional = {});
    QStringList positional() const { return parser_.positionalArguments(); }

    // The device --device or --serial names (device 0 without either); nothing, with
    // the failure said, when no device has that serial. `exitCode` says which failure.
    std::optional<int> deviceIndex(platform::D2xxBinding &d2xx, int &exitCode) const;
    struct ChosenDevice {
        platform::D2xxBinding *d2xx;
        int index;
        QString serial;  // the serial number it was chosen by; empty when chosen by index
    };
    // The driver, loaded, and the device the options choose; nothing, with the
    // failure said and its exit code in `exitCode`.
    std::optional<ChosenDevice> chooseDevice(int &exitCode) const;
    // Says that device `index` could not be read; answers kDeviceFailed.
    int readFailure(int index, FT_STATUS status) const;

    // "device 0", or "device 1 (serial QV000002)" when chosen by serial.
    QString deviceName(int index) const;

    // A usage error, said as one line; answers kBadInput.
    int usageError(const QString &problem) const;
    // A failure, said as one line; answers `code`.
    int failure(int code, const QString &problem) const;
    // Failures, one line each; answers `code`.
    int failures(int code, const QStringList &problems) const;

    QString helpText() const;

private:
    const char *name_;
    const char *usage_;
    const char *about_;
    QCommandLineParser parser_;
    QList<QCommandLineOption> options_;
    bool deviceOptions_ = false;
    bool bySerial_ = false;
};

// The program's libftd2xx, loaded; null after saying why it could not be.
platform::D2xxBinding *loadedDriver(const char *command);

}  // namespace kestrom::cli
