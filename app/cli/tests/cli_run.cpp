#include "cli_run.h"

#include <QFileInfo>
#include <QProcessEnvironment>
#include <algorithm>
#include <cstdlib>

namespace fs = std::filesystem;

void CliTest::SetUp() {
    SimFixture::SetUp();
    fs::create_directory(dataFolder());
    if (const char *now = std::getenv("XDG_DATA_HOME")) previousData_ = now;
    setenv("XDG_DATA_HOME", dataFolder().c_str(), 1);
}

void CliTest::TearDown() {
    if (previousData_) {
        setenv("XDG_DATA_HOME", previousData_->c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
    SimFixture::TearDown();
}

void CliTest::start(QProcess &process, const QStringList &arguments, const QString &program) const {
    process.setWorkingDirectory(QString::fromStdString(path("").string()));
    // LeakSanitizer stops the process with ptrace at its exit, which a program that
    // strace already traces cannot: under strace the sanitizers look for no leaks,
    // whether or not the caller set options of its own (a build without them ignores it).
    if (QFileInfo(program).fileName() == u"strace") {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString options = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"), options.isEmpty()
                                                               ? QStringLiteral("detect_leaks=0")
                                                               : options + QStringLiteral(":detect_leaks=0"));
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
}

Outcome CliTest::run(const QString &program, const QStringList &arguments) const {
    QProcess process;
    start(process, arguments, program);
    Outcome outcome;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        outcome.err = "did not end normally";
        return outcome;
    }
    outcome.exitCode = process.exitCode();
    outcome.out = process.readAllStandardOutput().toStdString();
    outcome.err = process.readAllStandardError().toStdString();
    return outcome;
}

std::vector<fs::path> CliTest::backups() const {
    std::vector<fs::path> images;
    const fs::path folder = dataFolder() / "kestrom" / "backups";
    if (!fs::exists(folder)) return images;
    for (const auto &entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".bin") images.push_back(entry.path());
    }
    std::sort(images.begin(), images.end());
    return images;
}

std::vector<uint16_t> words(const std::string &bytes) {
    std::vector<uint16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = uint16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
    }
    return out;
}
