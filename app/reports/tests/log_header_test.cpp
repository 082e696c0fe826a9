#include "log_header.h"

#include <gtest/gtest.h>

#include "expected_text.h"

namespace {

QString timeLine(const QLocale &locale) {
    kestrom::reports::LineList log;
    kestrom::reports::WriteLogHeader(log, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)), locale);
    return log.lines.value(4);
}

}  // namespace

TEST(LogHeader, SevenLinesWithTheLocalesShortDateAndTimeWithSeconds) {
    kestrom::reports::LineList log;
    kestrom::reports::WriteLogHeader(log, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)),
                                     QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const QString indent(25, u' ');
    EXPECT_EQ(joined({"", "", indent + QStringLiteral(u"Obsah paměti EEPROM ...."), "",
                      indent + "05.03.24 14:07:09", QString(80, u'*'), ""}),
              joined(log.lines));
}

// Whatever the locale's own order and separators: the seconds are there, no zone name.
TEST(LogHeader, TimeKeepsSecondsAndDropsTheZoneInEveryLocale) {
    for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German),
                                  QLocale(QLocale::Japanese), QLocale::c()}) {
        SCOPED_TRACE(locale.name().toStdString());
        const QString line = timeLine(locale);
        const QString date = locale.toString(QDate(2024, 3, 5), QLocale::ShortFormat);
        EXPECT_TRUE(line.startsWith(QString(25, u' ') + date + u' ')) << line.toStdString();
        EXPECT_TRUE(line.contains(u"07") && line.contains(u"09")) << "minutes and seconds: " << line.toStdString();
        EXPECT_EQ(line, line.trimmed().prepend(QString(25, u' '))) << "no trailing space";
        for (const char *zone : {"UTC", "GMT", "CET", "CEST"}) EXPECT_FALSE(line.contains(QLatin1String(zone)));
    }
}
