// Save Log: the dialog's setup, the ".txt" rule, the file's bytes, the overwrite
// question, failures explained and "sCesta".
#include "save_log.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include "queued_dialogs.h"
#include "window_fixture.h"

namespace {

using namespace kestrom::output;

class SaveLogTest : public ::testing::Test {
protected:
    void SetUp() override { settings.clear(); }

    QString path(const QString &name) const { return folder.filePath(name); }
    QVariant lastFolder() const { return settings.value(QStringLiteral("sCesta")); }
    static QByteArray bytes(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void write(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QString chosen(const QString &typed, int filter) {
        dialogs.saveAnswers.push_back(typed.isNull() ? std::nullopt
                                                     : std::optional(kestrom::dialogs::SaveDialogChoice{typed, filter}));
        return ShowSaveDialog(nullptr);
    }

    QSettings settings{QStringLiteral("Pelmora"), QStringLiteral("Vantorel")};
    QTemporaryDir folder;
    QueuedDialogs dialogs;
    const QStringList lines{QStringLiteral("A"), QStringLiteral("Obsah paměti EEPROM"), QStringLiteral("C")};
};

TEST_F(SaveLogTest, DialogHasItsTitleFiltersAndFolderAndAddsTxt) {
    EXPECT_EQ(QString(), chosen(QString(), 0)) << "cancelled";
    EXPECT_EQ(u"Save File", dialogs.lastSaveSetup.title);
    EXPECT_EQ((QStringList{"Text Files (*.txt)", "All Files (*.*)"}), dialogs.lastSaveSetup.filters);
    EXPECT_EQ(QDir::homePath(), dialogs.lastSaveSetup.folder) << "no settings yet";
    EXPECT_EQ(u"/d/log.txt", chosen(QStringLiteral("  /d/log "), 0));
    EXPECT_EQ(u"/d/LOG.TXT", chosen(QStringLiteral("/d/LOG.TXT"), 0));
    EXPECT_EQ(u"/d/notes.txt.bak", chosen(QStringLiteral("/d/notes.txt.bak"), 0));
    EXPECT_EQ(u"/d/log", chosen(QStringLiteral("/d/log"), 1)) << "All Files: as typed";
    settings.setValue(QStringLiteral("Height"), 7020);
    chosen(QString(), 0);
    EXPECT_EQ(QString(), dialogs.lastSaveSetup.folder) << "settings without sCesta: the dialog's own folder";
}

TEST_F(SaveLogTest, FileHoldsEveryLineWithCrLfReplacedOnlyAfterYesFolderRemembered) {
    ASSERT_EQ(SaveResult::Saved, SaveLogToFile(path("log.txt"), lines));
    EXPECT_EQ(QStringLiteral("A\r\nObsah paměti EEPROM\r\nC\r\n").toUtf8(), bytes(path("log.txt")));
    EXPECT_EQ(QDir::toNativeSeparators(folder.path() + u'/'), lastFolder());
    chosen(QString(), 0);
    EXPECT_EQ(lastFolder().toString(), dialogs.lastSaveSetup.folder) << "the next dialog opens there";

    settings.clear();
    EXPECT_EQ(SaveResult::Declined, SaveLogToFile(path("log.txt"), {}));
    EXPECT_EQ(QStringLiteral("A\r\nObsah paměti EEPROM\r\nC\r\n").toUtf8(), bytes(path("log.txt")));
    EXPECT_FALSE(lastFolder().isValid());
    dialogs.yesNoAnswers.push_back(true);
    EXPECT_EQ(SaveResult::Saved, SaveLogToFile(path("log.txt"), {}));
    EXPECT_EQ(QByteArray(), bytes(path("log.txt"))) << "an empty log: an empty file";
    EXPECT_TRUE(lastFolder().isValid()) << "remembered for an empty log too";
    EXPECT_EQ(std::vector<QString>(2, QStringLiteral("Soubor už existuje. Chcete soubor přepsat?")), dialogs.questions);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SaveLogTest, FailuresAreExplainedAndLeaveFilesAndFolderAsTheyWere) {
    settings.setValue(QStringLiteral("sCesta"), QStringLiteral("/kept/"));
    dialogs.yesNoAnswers = {true, true, true};
    write(path("locked.txt"), "locked");
    QFile::setPermissions(path("locked.txt"), QFileDevice::ReadOwner);
    EXPECT_EQ(SaveResult::CannotOpen, SaveLogToFile(path("locked.txt"), lines));
    EXPECT_EQ("locked", bytes(path("locked.txt")));
    EXPECT_EQ(SaveResult::CannotOpen, SaveLogToFile(path("missing/log.txt"), lines));
    EXPECT_FALSE(QFile::exists(path("missing/log.txt")));
    // No room in the name for the one the new text is first written under.
    const QString longName = path(QString(250, u'n'));
    write(longName, "old");
    EXPECT_NE(SaveResult::Saved, SaveLogToFile(longName, lines));
    EXPECT_EQ("old", bytes(longName));
    EXPECT_EQ(SaveResult::CannotOpen, SaveLogToFile(QString(), lines)) << "cancelled: silent";
    ASSERT_EQ(0, mkfifo(QFile::encodeName(path("pipe")).constData(), 0600));
    EXPECT_EQ(SaveResult::CannotOpen, SaveLogToFile(path("pipe"), lines)) << "refused, not waited on";
    EXPECT_TRUE(QFileInfo(path("pipe")).exists() && !QFileInfo(path("pipe")).isFile());
    // A disk that fills up half-way: the old file stays, and the user is told.
    write(path("full.txt"), "old");
    qputenv("KESTROM_FULL_DISK", "full.txt");
    EXPECT_EQ(SaveResult::Incomplete, SaveLogToFile(path("full.txt"), lines));
    qunsetenv("KESTROM_FULL_DISK");
    EXPECT_EQ("old", bytes(path("full.txt")));
    EXPECT_EQ(QStringList{QStringLiteral("full.txt")},
              QDir(folder.path()).entryList(QStringList{QStringLiteral("full*")}))
        << "no draft left";

    EXPECT_EQ(2u, dialogs.questions.size()) << "asked about the writable files only";
    ASSERT_EQ(5u, dialogs.messages.size());
    for (int cannotSave : {0, 1, 3})
        EXPECT_EQ(u"Soubor nejde uložit.", dialogs.messages[cannotSave].text) << cannotSave;
    EXPECT_EQ(u"Soubor není uložen celý", dialogs.messages[4].text);
    EXPECT_TRUE(dialogs.messages[4].detail.endsWith(u"the disk is full"));
    for (const auto &message : dialogs.messages) {
        EXPECT_TRUE(message.detail.contains(u'\n') && !message.detail.endsWith(u'\n'))
            << "the path and a reason";
    }
    EXPECT_EQ(QStringLiteral("/kept/"), lastFolder()) << "only a complete save moves sCesta";
}

}  // namespace
