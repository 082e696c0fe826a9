// The 72 accessors, over every field from the one list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
        const size_t room = textCapacity(f.name) - 1;
        char buffer[80];
        const std::string exact(room, 'x');
        f.setText(exact.c_str());
        f.getText(buffer);
        EXPECT_EQ(exact, buffer);

        const std::string split = std::string(room - 1, 'y') + "ž";  // the letter would need one byte more
        f.setText(split.c_str());
        f.getText(buffer);
        EXPECT_EQ(std::string(room - 1, 'y'), buffer);

        f.setText(nullptr);
        f.getText(buffer);
        EXPECT_STREQ("", buffer);
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
