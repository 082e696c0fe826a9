// The editor's conversions and its binding to the record's fields.
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>

#include "editor_controls.h"
#include "field_binding.h"
#include "number_text.h"
#include "write_order.h"

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

TEST(EditorModel, KeyFilters) {
    for (char16_t key = 0; key < 256; ++key) {
        const bool digit = key >= u'0' && key <= u'9';
        EXPECT_EQ(digit || key == 8 ? key : 0, Select_Deka(key)) << int(key);
        const bool upper = key >= u'A' && key <= u'F';
        const bool lower = key >= u'a' && key <= u'f';
        EXPECT_EQ(digit || upper || key == 8 ? key : (lower ? key - 32 : 0), Select_Hexa(key)) << int(key);
    }
}

TEST(EditorModel, EveryRecordFieldHasOneControlAndItsAccessors) {
    std::set<std::string> fields, names;
    for (const EditorControl &control : editorControls()) {
        fields.insert(control.field);
        names.insert(control.objectName);
        const FieldAccessors *accessors = accessorsFor(control.field);
        ASSERT_NE(nullptr, accessors) << control.field;
        EXPECT_EQ(accessors->text, control.kind == ControlKind::TextBox && control.form == TextForm::Plain)
            << control.field;
    }
    EXPECT_EQ(36u, fields.size());
    EXPECT_EQ(36u, names.size());
}

TEST(EditorModel, WriteHandsOverEveryControlOnceAcrossItsGroups) {
    std::multiset<std::string> written;
    for (auto group : {std::span<const char *const>(kWriteCommon), std::span<const char *const>(kWriteBm),
                       std::span<const char *const>(kWriteFt2232c)}) {
        for (const char *name : group) written.insert(name);
    }
    std::multiset<std::string> controls;
    for (const EditorControl &control : editorControls()) controls.insert(control.objectName);
    EXPECT_EQ(controls, written);
}
