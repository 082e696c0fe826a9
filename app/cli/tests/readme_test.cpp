// The README's worked production example runs as written, from a folder laid out
// as the repository is (build/bin, scripts, examples), and prints what it shows.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

class Readme : public CliTest {};

// The text of the first block fenced with "```<fence>" from `from` on; `from` moves past it.
std::string block(const std::string &text, size_t &from, const std::string &fence) {
    const size_t start = text.find("```" + fence + "\n", from);
    if (from == std::string::npos || start == std::string::npos) return {};
    const size_t begin = start + 4 + fence.size();
    from = text.find("```\n", begin);
    const std::string inside = text.substr(begin, from - begin);
    if (from != std::string::npos) from += 4;
    return inside;
}

TEST_F(Readme, TheProductionExampleRunsAsWritten) {
    const std::string readme = readBytes(KESTROM_SOURCE_DIR "/README.md");
    size_t at = readme.find("### A production run, worked through on a simulated chip");
    const std::string commands = block(readme, at, "sh");
    const std::string shown = block(readme, at, "");
    ASSERT_FALSE(commands.empty());
    ASSERT_FALSE(shown.empty());

    const fs::path repository = path("repository");
    fs::create_directories(repository / "build");
    fs::create_directory_symlink(fs::path(KESTROM_FILE).parent_path(), repository / "build" / "bin");
    fs::create_directory_symlink(KESTROM_SOURCE_DIR "/scripts", repository / "scripts");
    fs::create_directory_symlink(KESTROM_SOURCE_DIR "/examples", repository / "examples");
    fs::create_directory(path("tmp"));

    QProcess shell;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), QString::fromStdString(path("tmp").string()));
    shell.setProcessEnvironment(environment);
    shell.setWorkingDirectory(QString::fromStdString(repository.string()));
    shell.start(QStringLiteral("bash"),
                {QStringLiteral("-e"), QStringLiteral("-c"), QString::fromStdString(commands)});
    ASSERT_TRUE(shell.waitForFinished(60000));
    const std::string out = shell.readAllStandardOutput().toStdString();
    EXPECT_EQ(0, shell.exitCode()) << shell.readAllStandardError().toStdString();

    // Every line the README shows, but the log's line of this run's time and folder.
    size_t lines = 0;
    for (size_t at = 0, end; (end = shown.find('\n', at)) != std::string::npos; at = end + 1, ++lines) {
        std::string line = shown.substr(at, end - at);
        if (line.find(",ok,") != std::string::npos)
            line = line.substr(line.find(','), line.find(",ok,") + 4 - line.find(','));
        EXPECT_NE(std::string::npos, out.find(line)) << line << "\nnot in:\n" << out;
    }
    EXPECT_EQ(6u, lines);
}

}  // namespace
