#include "log_header.h"

#include <gtest/gtest.h>

#include "expected_text.h"

TEST(LogHeader, SevenLinesWithTheLocalesShortDateAndTime) {
    kestrom::reports::LineList log;
    kestrom::reports::WriteLogHeader(log, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)),
                                     QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const QString indent(25, u' ');
    EXPECT_EQ(joined({"", "", indent + QStringLiteral(u"Obsah paměti EEPROM ...."), "",
                      indent + "05.03.24 14:07", QString(80, u'*'), ""}),
              joined(log.lines));
}
