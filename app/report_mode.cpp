#include "report_mode.h"

#include <cstdio>

#include "device_access.h"
#include "libraries.h"

namespace kestrom {

namespace {

class StandardOutput : public reports::LogSink {
public:
    void append(const QString &line) override {
        const QByteArray bytes = line.toUtf8() + '\n';
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    }
};

bool reportMissing(bool loaded, const std::string &message) {
    if (!loaded) std::fprintf(stderr, "%s\n", message.c_str());
    return !loaded;
}

}  // namespace

int printReport(const reports::ReportOptions &options) {
    platform::Libraries &libraries = platform::programLibraries();
    // libromgate first: when the driver is missing it is what names it.
    if (reportMissing(libraries.romgate.load(), libraries.romgate.message()) ||
        reportMissing(libraries.d2xx.load(), libraries.d2xx.message())) {
        return 1;
    }
    StandardOutput output;
    const bool answered = reports::ReportEeprom(output, options, libraries);
    std::fflush(stdout);
    if (!answered && reports::DeviceNodeRefused()) {
        std::fprintf(stderr, "%s\n", reports::UdevRuleHint().toLocal8Bit().constData());
    }
    return answered ? 0 : 1;
}

}  // namespace kestrom
