#include "eeprom_size_probe.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using kestrom::d2xx::eepromWordsByWrap;
using kestrom::d2xx::SizeProbe;

namespace {

// A 93Cx6 behind an FTDI chip: the chip sends eight address bits and the EEPROM
// keeps only as many as it has.
struct FakeEeprom {
    explicit FakeEeprom(size_t words) : cells(words, 0xFFFF) {}

    FakeEeprom &program(size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) cells[i] = static_cast<uint16_t>(i * 0x1021 + 0x55);
        return *this;
    }

    SizeProbe probe() {
        return eepromWordsByWrap([this](size_t address, uint16_t &value) {
            EXPECT_LT(address, 256u);
            ++reads;
            if (failing.count(address) != 0) return false;
            value = cells[address % cells.size()];
            return true;
        });
    }

    std::vector<uint16_t> cells;
    std::set<size_t> failing;
    size_t reads = 0;
};

void expectKnown(SizeProbe probe, size_t words) {
    EXPECT_EQ(probe.result, SizeProbe::Known);
    EXPECT_EQ(probe.words, words);
}

}  // namespace

TEST(EepromSizeProbe, TellsEachSizeByWhereTheAddressesWrap) {
    FakeEeprom c46(64);
    expectKnown(c46.program(0, 64).probe(), 64);
    EXPECT_EQ(c46.reads, 128u) << "a 93C46 is settled by the first 128 words";
    expectKnown(FakeEeprom(128).program(0, 128).probe(), 128);
    expectKnown(FakeEeprom(256).program(0, 256).probe(), 256);
}

TEST(EepromSizeProbe, AFewProgrammedWordsAreEnough) {
    expectKnown(FakeEeprom(64).program(63, 64).probe(), 64);
    expectKnown(FakeEeprom(128).program(0, 20).probe(), 128);
    expectKnown(FakeEeprom(128).program(64, 128).probe(), 128);  // lower half blank
    expectKnown(FakeEeprom(256).program(0, 20).probe(), 256);
    expectKnown(FakeEeprom(256).program(200, 201).probe(), 256);  // only above word 127
}

TEST(EepromSizeProbe, ABlankEepromCannotBeToldByReading) {
    for (const size_t words : {64u, 128u, 256u}) {
        SCOPED_TRACE(words);
        EXPECT_EQ(FakeEeprom(words).probe().result, SizeProbe::Blank);
    }
}

TEST(EepromSizeProbe, AFailedReadIsReportedNotGuessed) {
    for (const size_t address : {0u, 127u, 128u, 255u}) {
        SCOPED_TRACE(address);
        FakeEeprom eeprom(256);
        eeprom.program(0, 256).failing.insert(address);
        EXPECT_EQ(eeprom.probe().result, SizeProbe::ReadFailed);
    }
}
