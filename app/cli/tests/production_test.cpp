// The pieces of a production run on their own: serial formats, the state file's
// reservations and lock, and the CSV log's fields.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "production_log.h"
#include "production_state.h"
#include "qt_print.h"
#include "serial_format.h"

using namespace kestrom::cli;

namespace {

TEST(SerialFormat, OneNumberFormattedAsAskedAndEveryOtherFormatRefused) {
    const std::pair<const char *, const char *> formats[] = {
        {"KS%06d", "KS000123"}, {"KS%d", "KS123"}, {"%5u-A", "  123-A"}, {"X%x", "X7b"}, {"%04X%%", "007B%"}};
    for (const auto &[format, serial] : formats) {
        QString problem;
        const std::optional<SerialFormat> parsed = SerialFormat::parse(QString::fromLatin1(format), problem);
        ASSERT_TRUE(parsed) << format << ": " << problem.toStdString();
        EXPECT_EQ(QString::fromLatin1(serial), parsed->serial(123)) << format;
    }
    // Formats are known by the serial numbers they give.
    const std::pair<const char *, const char *> keys[] = {{"KS%06u", "KS%06d"}, {"KS%1d", "KS%d"},
                                                          {"KS%01u", "KS%d"},   {"KS%0d", "KS%d"},
                                                          {"%%A%5X", "%%A%5X"}, {"%0006x", "%06x"}};
    for (const auto &[format, key] : keys) {
        QString problem;
        EXPECT_EQ(QString::fromLatin1(key), SerialFormat::parse(QString::fromLatin1(format), problem)->key());
    }
    for (const char *bad :
         {"KS", "KS%%", "%d%d", "KS%s", "KS%", "%-5d", "%020d", "%ld", "%0000000000000000000000020d"}) {
        QString problem;
        EXPECT_FALSE(SerialFormat::parse(QString::fromLatin1(bad), problem)) << bad;
        EXPECT_FALSE(problem.isEmpty()) << bad;
    }
}

TEST(ProductionState, AReservedNumberIsNeverHandedOutAgainAndAWriteInProgressIsKept) {
    QString problem;
    const SerialFormat format = *SerialFormat::parse(QStringLiteral("KS%04d"), problem);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("run/state.json"));
    QString error;
    {
        auto state = ProductionState::open(path, format, error);
        ASSERT_TRUE(state) << error.toStdString();
        ASSERT_TRUE(state->startAt(7, error));
        EXPECT_TRUE(state->startAt(3, error));
        EXPECT_EQ(7u, state->next()) << "--start never goes back";
        EXPECT_FALSE(ProductionState::open(path, format, error)) << "one run at a time";
        EXPECT_TRUE(error.contains(u"another run")) << error.toStdString();
        PendingWrite write{
            0, QStringLiteral("KS0007"), QStringLiteral("0403:6001"), QStringLiteral("b.bin"), {}, {}};
        ASSERT_TRUE(state->reserve(write, error));
        EXPECT_EQ(7u, write.number);
    }  // the run ends without settling: as if it died while writing
    auto state = ProductionState::open(path, format, error);
    ASSERT_TRUE(state) << error.toStdString();
    EXPECT_EQ(8u, state->next());
    ASSERT_EQ(1u, state->pending().size());
    EXPECT_EQ(7u, state->pending()[0].number);
    EXPECT_EQ(u"b.bin", state->pending()[0].backup);
    ASSERT_TRUE(state->settle(7, error));
    EXPECT_TRUE(state->pending().empty());
    // A reservation that cannot be written reserves nothing.
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkdir(path));
    PendingWrite lost{0, QStringLiteral("KS0008"), {}, {}, {}, {}};
    EXPECT_FALSE(state->reserve(lost, error));
    EXPECT_EQ(8u, state->next());
    EXPECT_TRUE(state->pending().empty());
    state.reset();
    QDir().rmdir(path);
    state = ProductionState::open(path, format, error);
    ASSERT_TRUE(state && state->startAt(9, error));
    state.reset();
    EXPECT_FALSE(ProductionState::open(path, *SerialFormat::parse(QStringLiteral("AB%d"), error), error));
    EXPECT_TRUE(error.contains(u"belongs to the format 'KS%04d'")) << error.toStdString();
}

TEST(ProductionLog, OneLinePerDeviceWithFieldsQuotedWhereTheyMustBe) {
    EXPECT_EQ(u"plain", csvField(QStringLiteral("plain")));
    EXPECT_EQ(u"\"a, b\"", csvField(QStringLiteral("a, b")));
    EXPECT_EQ(u"\"say \"\"hi\"\"\"", csvField(QStringLiteral("say \"hi\"")));
    QTemporaryDir folder;
    const ProductionLog log(folder.filePath(QStringLiteral("log.csv")));
    QString error;
    const QDateTime time = QDateTime::fromString(QStringLiteral("2026-03-04T05:06:07+01:00"), Qt::ISODate);
    ASSERT_TRUE(log.append({time, 12, QStringLiteral("KS12"), QStringLiteral("0403:6001"),
                            QStringLiteral("ok"), QStringLiteral("b.bin")},
                           error));
    ASSERT_TRUE(
        log.append({time, {}, {}, QStringLiteral("0403:6001"), QStringLiteral("failed: x, y"), {}}, error));
    QFile file(log.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QByteArray("time,number,serial,vid_pid,result,backup\n"
                         "2026-03-04T05:06:07+01:00,12,KS12,0403:6001,ok,b.bin\n"
                         "2026-03-04T05:06:07+01:00,,,0403:6001,\"failed: x, y\",\n"),
              file.readAll());
    EXPECT_TRUE(log.holds(12));
    EXPECT_FALSE(log.holds(1));
    // A line a full disk cut short ends before the next begins.
    file.close();
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("2026-03-04T05:06:07+01:00,13,KS1");
    file.close();
    ASSERT_TRUE(log.append({time, 14, QStringLiteral("KS14"), {}, QStringLiteral("ok"), {}}, error));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith(",13,KS1\n2026-03-04T05:06:07+01:00,14,KS14,,ok,\n"));
    EXPECT_TRUE(log.holds(14));
}

}  // namespace
