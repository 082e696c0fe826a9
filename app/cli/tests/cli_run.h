// Runs the kestrom executable as a user runs it, on the simulated devices the
// test's SimFixture names, with its data folder (backups, journal) in the test's
// scratch folder.
#pragma once

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <string>

#include "sim_fixture.h"

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliTest : public SimFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs `kestrom arguments...` in the scratch folder and waits for it.
    Outcome run(const QStringList &arguments) const { return run(QStringLiteral(KESTROM_FILE), arguments); }
    Outcome run(const QString &program, const QStringList &arguments) const;
    // Starts it without waiting; the test reads and waits.
    void start(QProcess &process, const QStringList &arguments,
               const QString &program = QStringLiteral(KESTROM_FILE)) const;

    // The scratch folder's data folder (XDG_DATA_HOME) and the backups in it.
    std::filesystem::path dataFolder() const { return path("data"); }
    std::vector<std::filesystem::path> backups() const;
    std::string file(const std::string &name) const { return path(name).string(); }

private:
    std::optional<std::string> previousData_;
};

// The words of an image file: 16-bit little-endian.
std::vector<uint16_t> words(const std::string &bytes);
