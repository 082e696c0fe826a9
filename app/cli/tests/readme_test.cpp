// The README's worked production examples, on one board and on four stations, run
// as written from a folder laid out as the repository is (build/bin, scripts,
// examples), and print what they show.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <regex>
#include <set>
#include <vector>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

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

// The lines of `text`.
std::vector<std::string> linesOf(const std::string &text) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

class Readme : public CliTest {
protected:
    // The commands and the output shown after `heading`.
    std::pair<std::string, std::string> example(const std::string &heading) const {
        const std::string readme = readBytes(KESTROM_SOURCE_DIR "/README.md");
        size_t at = readme.find(heading);
        std::string commands = block(readme, at, "sh");
        return {commands, block(readme, at, "")};
    }
    // Runs `commands` under bash -e from a folder laid out as the repository is: their
    // standard output, and standard error after it when `withErrors`.
    std::string runAsWritten(const std::string &commands, bool withErrors) {
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
        EXPECT_TRUE(shell.waitForFinished(60000));
        const std::string errors = shell.readAllStandardError().toStdString();
        EXPECT_EQ(0, shell.exitCode()) << errors;
        return shell.readAllStandardOutput().toStdString() + (withErrors ? errors : "");
    }
};

TEST_F(Readme, TheProductionExampleRunsAsWritten) {
    const auto [commands, shown] = example("### A production run, worked through on a simulated chip");
    ASSERT_FALSE(commands.empty());
    ASSERT_FALSE(shown.empty());
    const std::string out = runAsWritten(commands, false);

    // Every line the README shows, but the log's line of this run's time and folder.
    for (std::string line : linesOf(shown)) {
        if (line.find(",ok,") != std::string::npos)
            line = line.substr(line.find(','), line.find(",ok,") + 4 - line.find(','));
        EXPECT_NE(std::string::npos, out.find(line)) << line << "\nnot in:\n" << out;
    }
    EXPECT_EQ(6u, linesOf(shown).size());
}

TEST_F(Readme, TheFourStationExampleRunsAsWritten) {
    const auto [commands, shown] = example("### Four stations, worked through on simulated boards");
    ASSERT_FALSE(commands.empty());
    // The boards take their numbers in the order they reserve them, and the time and
    // folders are the run's own: those are left out of the comparison.
    const auto plain = [](const std::string &line) {
        static const std::pair<std::regex, const char *> variable[] = {
            {std::regex("KS[0-9]{6}"), "KS?"},
            {std::regex("^[0-9TZ:-]+,[0-9]+,"), "TIME,N,"},
            {std::regex("[^ ,]*/tmp\\.[A-Za-z0-9]+"), "/tmp/T"},
            {std::regex("backups/[^,]+\\.bin"), "backups/B.bin"}};
        std::string text = line;
        for (const auto &[pattern, replacement] : variable)
            text = std::regex_replace(text, pattern, replacement);
        return text;
    };
    std::multiset<std::string> out;
    for (const std::string &line : linesOf(runAsWritten(commands, true))) out.insert(plain(line));
    const std::vector<std::string> lines = linesOf(shown);
    for (const std::string &line : lines) {
        const auto found = out.find(plain(line));
        EXPECT_NE(out.end(), found) << plain(line);
        if (found != out.end()) out.erase(found);  // each board's line once
    }
    EXPECT_EQ(15u, lines.size());
}

}  // namespace
