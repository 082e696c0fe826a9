#include "vidpid_list.h"

#include <gtest/gtest.h>

using kestrom::d2xx::parseVidPidList;
using kestrom::d2xx::UsbId;
using Ids = std::vector<UsbId>;

TEST(VidPidList, ReadsHexPairsBetweenAnySeparators) {
    EXPECT_EQ(parseVidPidList("1234:5678,abcd:EF01"), (Ids{{0x1234, 0x5678}, {0xABCD, 0xEF01}}));
    EXPECT_EQ(parseVidPidList(" 0x0403:0X6001 ;\t1:ffff\n2:3;4:5\r6:7"),
              (Ids{{0x0403, 0x6001}, {1, 0xFFFF}, {2, 3}, {4, 5}, {6, 7}}));
    EXPECT_EQ(parseVidPidList(" ,;, "), Ids{});
}

TEST(VidPidList, SkipsMalformedPairsAndKeepsTheRest) {
    const char *malformed[] = {"zz:12", "1234", "12345:1", "1:10000", "1234:",  ":1234", "1234:5678:9",
                               "0x:1",  "-1:2", "+1:2",    "0:0",     "0x0:00", "12 34", "ab\xff:1"};
    for (const char *entry : malformed) {
        SCOPED_TRACE(entry);
        EXPECT_EQ(parseVidPidList(std::string(entry) + ",0403:6001"), (Ids{{0x0403, 0x6001}}));
    }
}

TEST(VidPidList, KeepsEachPairOnceInTheOrderFirstGiven) {
    EXPECT_EQ(parseVidPidList("2:2,1:1,0002:0x0002,1:1,3:3"), (Ids{{2, 2}, {1, 1}, {3, 3}}));
}
