// The hex dump's layout: addresses, columns, the character view, the short last line.
#include "dump_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "eeprom_report.h"
#include "hex_dump.h"
#include "sim_fixture.h"

using kestrom::reports::dumpDataLines;
using kestrom::reports::kDumpWords;

TEST(DumpLayout, ThirteenLinesTheLastWithEightWordsAndTheFiller) {
    std::array<uint16_t, kDumpWords> words{};
    for (int i = 0; i < kDumpWords; ++i) words[i] = static_cast<uint16_t>(0x4100 + i);  // 'A', then byte i
    const QStringList lines = dumpDataLines(words);
    ASSERT_EQ(13, lines.size());
    const QStringList addresses{"$000", "$00A", "$014", "$01E", "$028", "$032", "$03C",
                                "$046", "$050", "$05A", "$064", "$06E", "$078"};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(addresses[i], lines[i].left(4));
        EXPECT_EQ(57, lines[i].indexOf(QStringLiteral("| "), 6))
            << "line " << i;  // under the header's second "|"
    }
    EXPECT_EQ("$000 | 4100 4101 4102 4103 4104 4105 4106 4107 4108 4109 | A.A.A.A.A.A.A.A.A.A.",
              lines[0].toStdString());
    EXPECT_EQ("$078 | 4178 4179 417A 417B 417C 417D 417E 417F           | AxAyAzA{A|A}A~A\x7F",
              lines[12].toStdString());
}

TEST(DumpLayout, CharactersFrom32To127AreShownOthersAsDots) {
    std::array<uint16_t, kDumpWords> words{};
    words[0] = 0x4142;  // A B
    words[1] = 0x0041;  // . A
    words[2] = 0x7F20;  // DEL, space
    words[3] = 0x1F80;  // 31 and 128: neither shown
    words[4] = 0xFFFF;
    const QString characters = dumpDataLines(words)[0].mid(59, 10);
    EXPECT_EQ("AB.A\x7F ....", characters.toStdString());
}

namespace {

class Dump : public SimFixture {};

// The word offsets the dump asked for, in order.
std::vector<uint32_t> readOffsets;

FT_STATUS FT_CALL countedReadEE(FT_HANDLE handle, uint32_t offset, uint16_t *value) {
    readOffsets.push_back(offset);
    return FT_ReadEE(handle, offset, value);
}

// The driver's own calls, with the word reads counted on their way.
kestrom::platform::ExportTable::Address countingDriver(const char *name) {
    using Address = kestrom::platform::ExportTable::Address;
    if (std::strcmp(name, "FT_Open") == 0) return reinterpret_cast<Address>(&FT_Open);
    if (std::strcmp(name, "FT_Close") == 0) return reinterpret_cast<Address>(&FT_Close);
    if (std::strcmp(name, "FT_ReadEE") == 0) return reinterpret_cast<Address>(&countedReadEE);
    return nullptr;
}

}  // namespace

TEST_F(Dump, ReadsEachWordOnceInOrderAndNotOneMore) {
    copyExample("ft232bm.bin");
    copyExample("ft232bm.ini", "devices.ini");
    readOffsets.clear();
    kestrom::platform::D2xxBinding d2xx(&countingDriver);
    kestrom::reports::LineList log;
    ASSERT_TRUE(kestrom::reports::DumpEeprom(log, true, d2xx));
    std::vector<uint32_t> everyWord(kDumpWords);
    std::iota(everyWord.begin(), everyWord.end(), 0u);
    EXPECT_EQ(everyWord, readOffsets);
}

// A 93C46 answers words 64 to 127 with words 0 to 63 again.
TEST_F(Dump, WrapsTheSecondHalfOfA93C46) {
    std::string image;
    for (int i = 0; i < 64; ++i) image += {static_cast<char>(i), static_cast<char>(0x30 + i / 10)};
    writeBytes("small.bin", image);
    writeDevices("[d]\nchip = BM\neeprom = small.bin\neeprom_words = 64\n");
    kestrom::reports::LineList log;
    ASSERT_TRUE(kestrom::reports::DumpEeprom(log, true, kestrom::platform::programLibraries().d2xx));
    QStringList words;
    for (const QString &line : log.lines.mid(5, 13)) words += line.mid(7, 50).split(u' ', Qt::SkipEmptyParts);
    ASSERT_EQ(kDumpWords, words.size());
    EXPECT_EQ(words.mid(0, 64), words.mid(64, 64));
    EXPECT_EQ("363F", words[63].toStdString());  // little-endian: low byte first
}
