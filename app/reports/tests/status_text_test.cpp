#include "status_text.h"

#include <gtest/gtest.h>

using kestrom::reports::StatusText;

TEST(StatusText, NamesEachCodeAndCallsTheRestUnknown) {
    const std::vector<std::pair<int64_t, const char *>> table{
        {0, "FT_OK"},
        {1, "***  FT INVALID HANDLE  ***"},
        {2, "***  FT DEVICE NOT FOUND  ***"},
        {8, "***  FT DEVICE NOT OPENED FOR ERASE  ***"},
        {15, "***  FT EEPROM NOT PROGRAMMED  ***"},
        {18, "***  FT OTHER ERROR  ***"},
        {19, "***  UNKNOWN  ***"},
        {-1, "***  UNKNOWN  ***"},
        {-4, "***  UNKNOWN  ***"},
        {0xFFFFFFFF, "***  UNKNOWN  ***"},
    };
    for (const auto &[code, text] : table) EXPECT_EQ(text, StatusText(code).toStdString()) << code;
}
