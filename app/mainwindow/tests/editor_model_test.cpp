// The editor's conversions between numbers and text, and its key filters.
#include <gtest/gtest.h>

#include "number_text.h"

using namespace kestrom::mainwindow;

TEST(EditorModel, NumberToBaseAndBack) {
    const std::pair<int16_t, const char *> toText[] = {{0, "0"}, {1027, "403"}, {24592, "6010"}, {-5, "-5"},
                                                       {-32768, "-8000"}};
    for (auto [value, text] : toText) EXPECT_EQ(QString::fromLatin1(text), NumberToBase(value, 16)) << value;
    EXPECT_EQ(u"90", NumberToBase(90, 10));

    const std::pair<const char *, int32_t> toNumber[] = {
        {"", 0}, {"0403", 1027}, {"6a5f", 27231}, {"ffff", 65535}, {"G", 16},
        {"4 3", 1027}, {"-1", -1}, {"1-5", -5}, {"zz", 35 * 16 + 35}, {"1FFFF", 0x1FFFF}};
    for (auto [text, value] : toNumber) EXPECT_EQ(value, BaseToNumber(QString::fromLatin1(text), 16)) << text;

    const std::pair<int32_t, const char *> shown[] = {{0x0403, "0403"}, {5, "0005"}, {0x6A5F, "6A5F"},
                                                      {0x8000, "8000"}, {0xFFFF, "FFFF"}, {-1, "-1"}};
    for (auto [value, text] : shown) EXPECT_EQ(QString::fromLatin1(text), hexForm(value)) << value;

    const std::pair<const char *, int32_t> decimals[] = {{"", 0}, {"90", 90}, {"  12x", 12}, {"-7", -7},
                                                         {"+3", 3}, {"x1", 0}, {"99999999999", 2147483647}};
    for (auto [text, value] : decimals) EXPECT_EQ(value, leadingDecimal(QString::fromLatin1(text))) << text;
}

TEST(EditorModel, KeyFiltersPassRewriteOrDropEachKey) {
    // Backspace, digits and the hexadecimal letters pass; lower-case a-f become upper case.
    const std::pair<char16_t, char16_t> decimal[] = {{8, 8},   {u'0', u'0'}, {u'5', u'5'}, {u'9', u'9'}, {u'/', 0},
                                                     {u':', 0}, {u'a', 0},    {u'-', 0},    {u'.', 0},    {13, 0},
                                                     {u'٣', 0}};
    for (auto [key, kept] : decimal) EXPECT_EQ(kept, filterDecimalKey(key)) << int(key);
    const std::pair<char16_t, char16_t> hexadecimal[] = {
        {8, 8},        {u'0', u'0'}, {u'9', u'9'}, {u'A', u'A'}, {u'F', u'F'}, {u'a', u'A'}, {u'f', u'F'},
        {u'G', 0},     {u'g', 0},    {u'@', 0},    {u'`', 0},    {u'x', 0},    {u'-', 0},    {13, 0}};
    for (auto [key, kept] : hexadecimal) EXPECT_EQ(kept, filterHexadecimalKey(key)) << int(key);
}
