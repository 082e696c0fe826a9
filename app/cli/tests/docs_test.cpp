// The manual page and the bash completion know every command and option the
// program's own help names.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "cli_run.h"

namespace {

class Docs : public CliTest {};

TEST_F(Docs, TheManualPageAndTheCompletionNameEveryCommandAndOption) {
    const std::string manual = readBytes(KESTROM_DIST_DIR "/kestrom.1");
    const std::string completion = readBytes(KESTROM_DIST_DIR "/kestrom.bash");
    const Outcome help = run({"--help"});
    const QString commandsPart = QString::fromStdString(help.out).section(QStringLiteral("Commands"), 1);
    QStringList commands;
    for (const auto &match : QRegularExpression(QStringLiteral("\\n  (\\w+) ")).globalMatch(commandsPart)) {
        commands << match.captured(1);
    }
    EXPECT_EQ(8, commands.size()) << help.out;
    for (const QString &command : commands) {
        const std::string name = command.toStdString();
        EXPECT_NE(std::string::npos, manual.find(".B kestrom " + name)) << name;
        EXPECT_TRUE(completion.find(" " + name + " ") != std::string::npos ||
                    completion.find(" " + name + ")") != std::string::npos)
            << name;
        const Outcome commandHelp = run({command, "--help"});
        for (const auto &match : QRegularExpression(QStringLiteral("--([a-z-]+)"))
                                     .globalMatch(QString::fromStdString(commandHelp.out))) {
            const std::string option = match.captured(1).toStdString();
            EXPECT_NE(std::string::npos, manual.find("\\-\\-" + option)) << name << " --" << option;
            EXPECT_NE(std::string::npos, completion.find("--" + option)) << name << " --" << option;
        }
    }
}

TEST_F(Docs, TheCompletionKeepsFileNamesWithSpacesWhole) {
    writeBytes("board one.ini", "");
    writeBytes("board two.ini", "");
    // Each answer on a line of its own, as bash holds them, in order.
    const auto complete = [&](const QString &line) {
        const QStringList words = line.split(u'|');
        const Outcome outcome =
            run(QStringLiteral("bash"),
                {"-c", QStringLiteral("source '%1'; COMP_WORDS=(%2); COMP_CWORD=%3; _kestrom; "
                                      "printf '%s\\n' \"${COMPREPLY[@]}\" | sort")
                           .arg(KESTROM_DIST_DIR "/kestrom.bash", words.join(u' '))
                           .arg(words.size() - 1)});
        return outcome.out;
    };
    EXPECT_EQ("board one.ini\nboard two.ini\n", complete("kestrom|write|bo"));
    EXPECT_EQ("board one.ini\n", complete("kestrom|write|'board\\ o'"));
    EXPECT_EQ("board two.ini\n", complete("kestrom|restore|'\"board t'"));
    EXPECT_EQ("board one.ini\n", complete("kestrom|produce|t.ini|--log|'board o'"));
}

TEST_F(Docs, SetCompletesTheSettingNamesOfTheConnectedChipAndEveryChipsWithoutOne) {
    writeDevices("[d]\nchip = 232H\neeprom = d.bin\neeprom_words = 128\n");
    useDevicesFile("devices.ini");
    const auto complete = [&](const QString &words) {
        const QString script =
            QStringLiteral(
                "source '%1'; COMP_WORDS=('%2' %3); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                "_kestrom; echo \"${COMPREPLY[*]}\"")
                .arg(QStringLiteral(KESTROM_DIST_DIR "/kestrom.bash"), QStringLiteral(KESTROM_FILE), words);
        return run(QStringLiteral("bash"), {"-c", script}).out;
    };
    EXPECT_EQ("IsFifo= IsFifoTar= IsFastSer= IsFT1248=\n", complete("write t.ini --set I"))
        << "a blank chip: its kind's";
    EXPECT_EQ("Cbus0= Cbus1= Cbus2= Cbus3= Cbus4= Cbus5= Cbus6= Cbus7= Cbus8= Cbus9=\n",
              complete("write t.ini --set Cb"));
    const std::string everyChips = complete("write t.ini --device 3 --set I");
    for (const char *name : {"IsoIn=", "IFAIsFifo=", "InvertRI=", "I2CDeviceId=", "IsFT1248="})
        EXPECT_NE(std::string::npos, everyChips.find(name)) << "no such device: every chip's names\n"
                                                            << everyChips;
    EXPECT_EQ("FT232BM FT2232C FT232R FT2232H FT232H\n", complete("help settings FT2"));
}

}  // namespace
