// The 72 accessors, over every field from the one list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fresh_romgate.h"
#include "romgate.h"
#include "romgate_fields_table.h"
#include "sim_fixture.h"

namespace {

class Accessors : public SimFixture {
protected:
    // A failed read leaves the device's status as the last status.
    void failLastStatus() {
        writeDevices("[gone]\nchip = BM\npresent = 0\n");
        ASSERT_EQ(ROMGATE_OPEN_FAILED, FT_EE_READ_());
        ASSERT_EQ(FT_DEVICE_NOT_FOUND, FT_STATUS_());
    }
    void succeedLastStatus() {
        copyExample("ft232bm.ini", "devices.ini");
        copyExample("ft232bm.bin");
        ASSERT_EQ(0, FT_GetFTDevice_());
        ASSERT_EQ(FT_OK, FT_STATUS_());
    }
};

int32_t widthMask(FieldKind kind) { return kind == FieldKind::Word ? 0xFFFF : 0xFF; }

}  // namespace

TEST_F(Accessors, EachFieldKeepsItsOwnValueCutToItsWidth) {
    succeedLastStatus();
    // Distinct values everywhere first, so two accessors sharing a field show up.
    int32_t seed = 0x10000;
    for (const FieldAccess &f : allFields()) {
        if (f.kind == FieldKind::Text) {
            EXPECT_EQ(FT_OK, f.setText(f.name));
        } else {
            EXPECT_EQ(FT_OK, f.setNumber(seed + 3 * static_cast<int32_t>(&f - allFields().data()) + 1));
        }
    }
    for (const FieldAccess &f : allFields()) {
        SCOPED_TRACE(f.name);
        if (f.kind == FieldKind::Text) {
            char buffer[80];
            EXPECT_EQ(0, f.getText(buffer));
            EXPECT_EQ(std::string(f.name).substr(0, textCapacity(f.name) - 1), buffer);
        } else {
            const int32_t stored = seed + 3 * static_cast<int32_t>(&f - allFields().data()) + 1;
            EXPECT_EQ(stored & widthMask(f.kind), f.getNumber());
        }
    }
    for (const FieldAccess &f : allFields()) {
        if (f.kind == FieldKind::Text) continue;
        SCOPED_TRACE(f.name);
        for (int32_t value : {0x12345, 256, -1, 0}) {
            f.setNumber(value);
            EXPECT_EQ(value & widthMask(f.kind), f.getNumber()) << value;
        }
    }
}

TEST_F(Accessors, TextsAreCutToTheirBuffersAtCharacterBoundaries) {
    succeedLastStatus();
    for (const FieldAccess &f : allFields()) {
        if (f.kind != FieldKind::Text) continue;
        SCOPED_TRACE(f.name);
        const size_t capacity = textCapacity(f.name), room = capacity - 1;
        // Lent a buffer of exactly the field's size, the reader fills it and not a byte more.
        const auto stored = [&] {
            std::string buffer(capacity + 4, '#');
            EXPECT_EQ(0, f.getText(buffer.data()));
            EXPECT_EQ("####", buffer.substr(capacity)) << "written past the buffer";
            return std::string(buffer.c_str());
        };
        const std::string exact(room, 'x');
        f.setText(exact.c_str());
        EXPECT_EQ(exact, stored());

        f.setText((exact + "zz").c_str());
        EXPECT_EQ(exact, stored());

        // Letters that would need one byte more; their second bytes differ in the low bit.
        for (const char *letter : {"ž", "č"}) {
            f.setText((std::string(room - 1, 'y') + letter).c_str());
            EXPECT_EQ(std::string(room - 1, 'y'), stored()) << letter;
        }

        f.setText(nullptr);
        EXPECT_EQ("", stored());
    }
}

TEST_F(Accessors, ReadersAnswerMinusOneWhileTheLastStatusFailsAndWritersStillStore) {
    failLastStatus();
    for (const FieldAccess &f : allFields()) {
        SCOPED_TRACE(f.name);
        if (f.kind == FieldKind::Text) {
            char buffer[8] = "keep";
            EXPECT_EQ(-1, f.getText(buffer));
            EXPECT_STREQ("keep", buffer);
            EXPECT_EQ(FT_DEVICE_NOT_FOUND, f.setText("Z"));
        } else {
            EXPECT_EQ(-1, f.getNumber());
            EXPECT_EQ(FT_DEVICE_NOT_FOUND, f.setNumber(0x5A));
        }
    }
    EXPECT_EQ(-1, FT_EE_UASize_());
    succeedLastStatus();  // a device query does not touch the record
    for (const FieldAccess &f : allFields()) {
        SCOPED_TRACE(f.name);
        if (f.kind == FieldKind::Text) {
            char buffer[8];
            EXPECT_EQ(0, f.getText(buffer));
            EXPECT_STREQ("Z", buffer);
        } else {
            EXPECT_EQ(0x5A, f.getNumber());
        }
    }
}

TEST(FreshLibrary, EveryReaderAnswersZeroOrTheEmptyText) {
    FreshRomgate fresh;
    ASSERT_TRUE(fresh.loaded()) << dlerror();
    for (const FieldAccess &f : allFields()) {
        SCOPED_TRACE(f.name);
        const std::string reader = std::string("GET_") + f.name + "_";
        if (f.kind == FieldKind::Text) {
            const auto get = fresh.get<int32_t (*)(char *)>(reader);
            ASSERT_NE(nullptr, get);
            char buffer[80] = "junk";
            EXPECT_EQ(0, get(buffer));
            EXPECT_STREQ("", buffer);
        } else {
            const auto get = fresh.get<int32_t (*)()>(reader);
            ASSERT_NE(nullptr, get);
            EXPECT_EQ(0, get());
        }
    }
}
