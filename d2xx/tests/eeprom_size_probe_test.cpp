// Telling a 93C46, 93C56 or 93C66 by where its addresses wrap.
#include "eeprom_size_probe.h"

#include <gtest/gtest.h>

#include <vector>

using kestrom::d2xx::eepromWordsByWrap;
using kestrom::d2xx::SizeProbe;

TEST(EepromSizeProbe, TellsTheSizeByWhereTheAddressesWrap) {
    struct Case {
        size_t words, programmedFrom, programmedTo;  // the EEPROM and the words that are not blank
        size_t failingRead;                          // 256: none
        SizeProbe::Result result;
        size_t wantWords, wantReads;
    };
    const Case cases[] = {
        {64, 0, 64, 256, SizeProbe::Known, 64, 128},  // settled by the first 128 words
        {128, 0, 128, 256, SizeProbe::Known, 128, 256},
        {256, 0, 256, 256, SizeProbe::Known, 256, 256},
        {64, 63, 64, 256, SizeProbe::Known, 64, 128},  // a few programmed words are enough
        {128, 0, 20, 256, SizeProbe::Known, 128, 256},
        {128, 64, 128, 256, SizeProbe::Known, 128, 256},   // lower half blank
        {256, 200, 201, 256, SizeProbe::Known, 256, 256},  // only above word 127
        {64, 0, 0, 256, SizeProbe::Blank, 0, 256},         // a blank EEPROM cannot be told by reading
        {256, 0, 0, 256, SizeProbe::Blank, 0, 256},
        {256, 0, 256, 0, SizeProbe::ReadFailed, 0, 1},  // a failed read is reported, not guessed
        {256, 0, 256, 127, SizeProbe::ReadFailed, 0, 128},
        {256, 0, 256, 255, SizeProbe::ReadFailed, 0, 256},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.words << " words, " << c.programmedFrom << ".." << c.programmedTo
                                        << ", failing " << c.failingRead);
        std::vector<uint16_t> cells(c.words, 0xFFFF);
        for (size_t i = c.programmedFrom; i < c.programmedTo; ++i)
            cells[i] = static_cast<uint16_t>(i * 0x1021 + 0x55);
        size_t reads = 0;
        // The chip sends eight address bits and the EEPROM keeps only as many as it has.
        const SizeProbe probe = eepromWordsByWrap([&](size_t address, uint16_t &value) {
            EXPECT_LT(address, 256u);
            ++reads;
            value = cells[address % c.words];
            return address != c.failingRead;
        });
        EXPECT_EQ(probe.result, c.result);
        EXPECT_EQ(probe.words, c.wantWords);
        EXPECT_EQ(reads, c.wantReads);
    }
}
