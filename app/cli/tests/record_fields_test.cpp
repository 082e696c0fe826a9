// The record fields' values as templates and --set write them: what each kind
// of field takes and refuses, and that every chip's table is whole.
#include "record_fields.h"

#include <gtest/gtest.h>

#include "qt_print.h"

using namespace kestrom::cli;

namespace {

struct Written {
    const char *field;
    const char *text;
    std::optional<uint32_t> number;  // nothing: refused
};

TEST(RecordFields, NumbersFlagsAndCbusFunctionsTakeWhatTheFieldAllowsAndNothingElse) {
    // clang-format off
    const Written cases[] = {
        {"VendorId", "0x0403", 0x0403}, {"VendorId", "1027", 0x0403}, {"VendorId", "0X1234", 0x1234},
        {"VendorId", "0", {}}, {"VendorId", "0x10000", {}}, {"VendorId", "-1", {}}, {"VendorId", "+5", {}},
        {"VendorId", "0x", {}}, {"VendorId", "", {}}, {"VendorId", "abc", {}}, {"ProductId", "0", 0},
        {"MaxPower", "500", 500}, {"MaxPower", "0", 0}, {"MaxPower", "91", {}}, {"MaxPower", "502", {}},
        {"USBVersion", "0x0200", 0x0200}, {"USBVersion", "0x0110", 0x0110}, {"USBVersion", "0x01A0", {}},
        {"USBVersion5", "0x9999", 0x9999},
        {"PnP", "1", 1}, {"PnP", "0", 0}, {"PnP", "true", 1}, {"PnP", "FALSE", 0}, {"PnP", "2", {}},
        {"Cbus0", "TXLED", 3}, {"Cbus0", "TXDEN", 0}, {"Cbus0", "bitbang_rd", 12}, {"Cbus0", "12", 12}, {"Cbus0", "13", {}},
        {"Cbus4", "CLK6", 9}, {"Cbus4", "IOMODE", {}}, {"Cbus2", "LED", {}},
        {"EndpointSize", "64", 64}, {"EndpointSize", "32", {}},
    };
    // clang-format on
    for (const Written &c : cases) {
        const FieldSpec *field = findField(QString::fromLatin1(c.field));
        ASSERT_NE(nullptr, field) << c.field;
        QString problem;
        const std::optional<FieldValue> value = parseValue(*field, QString::fromLatin1(c.text), problem);
        EXPECT_EQ(c.number.has_value(), value.has_value()) << c.field << " = " << c.text;
        if (value && c.number) {
            EXPECT_EQ(*c.number, value->number) << c.field << " = " << c.text;
        } else if (!value) {
            EXPECT_FALSE(problem.isEmpty());
        }
    }
}

TEST(RecordFields, TextsAreMeasuredInBytesOfUtf8AndHoldNoControlCharacters) {
    const FieldSpec &serial = *findField(QStringLiteral("serialnumber"));
    QString problem;
    EXPECT_TRUE(parseValue(serial, QString(19, u'A'), problem));
    EXPECT_FALSE(parseValue(serial, QString(20, u'A'), problem));
    EXPECT_EQ(u"20 bytes, at most 19", problem);
    EXPECT_TRUE(parseValue(serial, QString(9, u'A') + QString(5, u'é'), problem)) << "14 letters, 19 bytes";
    EXPECT_FALSE(parseValue(serial, QString(10, u'A') + QString(5, u'é'), problem)) << "15 letters, 20 bytes";
    EXPECT_FALSE(parseValue(serial, QStringLiteral("A\tB"), problem));
    EXPECT_TRUE(parseValue(*findField(QStringLiteral("Description")), QString(67, u'x'), problem));
    EXPECT_FALSE(parseValue(*findField(QStringLiteral("Manufacturer")), QString(36, u'x'), problem));
}

TEST(RecordFields, EveryChipHasItsOwnFieldsAndTheCommonOnes) {
    const std::pair<uint32_t, size_t> chips[] = {
        {FT_DEVICE_AM, 10}, {FT_DEVICE_BM, 17}, {FT_DEVICE_2232C, 29}, {FT_DEVICE_232R, 29}};
    for (const auto &[chip, count] : chips) {
        EXPECT_EQ(count, chipFields(chip).size()) << chip;
        for (const FieldSpec *common : commonFields())
            EXPECT_TRUE(chipHasField(chip, *common)) << common->name;
    }
    EXPECT_FALSE(chipHasField(FT_DEVICE_BM, *findField(QStringLiteral("Cbus0"))));
    EXPECT_EQ(FT_DEVICE_2232C, chipByName(QStringLiteral("ft2232c")));
    EXPECT_EQ(FT_DEVICE_232R, chipByName(QStringLiteral("232R")));
    EXPECT_FALSE(chipByName(QStringLiteral("FT2232")));
}

}  // namespace
