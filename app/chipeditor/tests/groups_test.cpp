// Every setting of every chip in the editor, in a group, in the control its kind
// asks for, named as templates name it.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWheelEvent>

#include "chip_editor_fixture.h"
#include "setting_groups.h"

using kestrom::eeprom::Setting;
using kestrom::eeprom::SettingKind;

TEST(ChipEditorGroups, EverySettingHasAGroupAnEngineerKnows) {
    for (const kestrom::eeprom::ChipTable &chip : kestrom::eeprom::chipTables()) {
        SCOPED_TRACE(chip.name);
        size_t grouped = 0;
        for (const auto &group : kestrom::chipeditor::settingGroups(chip.type)) {
            EXPECT_NE(QStringLiteral("Other"), group.caption) << group.settings.front()->name;
            grouped += group.settings.size();
        }
        EXPECT_EQ(chip.settings.size(), grouped);
    }
    const auto groupOf = [](uint32_t chip, const char *name) {
        return kestrom::chipeditor::groupOf(chip, *kestrom::eeprom::findSetting(chip, name));
    };
    EXPECT_EQ(QStringLiteral("Channel C"), groupOf(FT_DEVICE_4232H, "CRIIsTXDEN"));
    EXPECT_EQ(QStringLiteral("Channel A"), groupOf(FT_DEVICE_2232C, "IFAIsFifoTar"));
    EXPECT_EQ(QStringLiteral("Port"), groupOf(FT_DEVICE_232H, "ADDriveCurrent"));  // not channel A
    EXPECT_EQ(QStringLiteral("ACBUS pins"), groupOf(FT_DEVICE_232H, "Cbus9"));
}

class ChipEditorForm : public ChipEditorTest {};

// The control each setting gets, and that it is named, described and takes what
// the setting allows, for every chip; a chip without a table gets no form at all.
TEST_F(ChipEditorForm, EachSettingHasTheControlOfItsKind) {
    for (const Chip &chip : kChips) {
        SCOPED_TRACE(chip.sim);
        plug(chip, board(chip));
        open();
        const kestrom::eeprom::ChipTable &table = *kestrom::eeprom::chipTable(chip.type);
        for (const Setting *setting : table.settings) {
            SCOPED_TRACE(setting->name);
            QWidget *control = find(setting->name);
            if (control == nullptr) continue;
            EXPECT_EQ(QString::fromLatin1(setting->name), control->accessibleName());
            EXPECT_EQ(QString::fromLatin1(setting->meaning), control->accessibleDescription());
            bool mode = false;
            for (const auto &modes : table.oneOf)
                mode |= std::find(modes.begin(), modes.end(), setting) != modes.end();
            const bool list = setting->kind == SettingKind::Choice ||
                              setting->rule == kestrom::eeprom::NumberRule::DriveCurrent;
            const char *expected = mode                                 ? "QRadioButton"
                                   : setting->kind == SettingKind::Flag ? "QCheckBox"
                                   : list                               ? "QComboBox"
                                                                        : "QLineEdit";
            EXPECT_STREQ(expected, control->metaObject()->className());
            EXPECT_EQ(setting->settable() && !setting->chipFixed,
                      control->isEnabled() && !control->property("readOnly").toBool());
            // A list offers only what the setting takes.
            if (auto *box = qobject_cast<QComboBox *>(control)) {
                for (int i = 0; i < box->count(); ++i)
                    EXPECT_EQ(
                        "", kestrom::eeprom::settingValueProblem(*setting, {box->itemData(i).toUInt(), {}}));
            }
        }
        // The chip's own groups, and no group of another chip.
        QStringList captions, expected;
        for (const QGroupBox *box : window().findChildren<QGroupBox *>()) captions << box->title();
        for (const auto &group : kestrom::chipeditor::settingGroups(chip.type)) expected << group.caption;
        captions.sort(), expected.sort();
        EXPECT_EQ(expected, captions);
    }
    // The functions each pin has: ACBUS5 of the FT232H is I/O capable, ACBUS0 is not.
    plug(kChips[6], board(kChips[6]));
    open();
    EXPECT_GE(find<QComboBox>("Cbus5")->findText(QStringLiteral("IOMODE")), 0);
    EXPECT_EQ(-1, find<QComboBox>("Cbus0")->findText(QStringLiteral("IOMODE")));
}

TEST_F(ChipEditorForm, AChipWithoutATableOrNoDeviceGetsNoForm) {
    writeDevices("[d]\nchip = 100AX\n");
    open();
    EXPECT_EQ(nullptr, window().findChild<QWidget *>(QStringLiteral("chipForm")));
    EXPECT_TRUE(find<QLabel>("chipStatus")->text().contains(QStringLiteral("does not know the settings")));
    EXPECT_FALSE(find("write")->isEnabled());
    EXPECT_FALSE(find("saveTemplate")->isEnabled());
    writeDevices("");
    click("read");
    EXPECT_TRUE(find<QLabel>("chipStatus")->text().startsWith(QStringLiteral("Device 0 could not be read")));
    EXPECT_TRUE(find("read")->isEnabled());
    EXPECT_TRUE(find("close")->isEnabled());
}

// With the keyboard alone: Tab goes down the form in reading order, then to the
// commands; a value typed and Write pressed with the space bar ask the question.
TEST_F(ChipEditorForm, KeyboardAloneReachesEveryControlAndWrite) {
    const Chip &chip = kChips[4];
    plug(chip, board(chip));
    open();
    QApplication::setActiveWindow(&window());
    QStringList order;
    for (int i = 0; i < 200 && !order.contains(QStringLiteral("close")); ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(QStringLiteral("VendorId"), order.front());
    EXPECT_LT(order.indexOf(QStringLiteral("MaxPower")), order.indexOf(QStringLiteral("Description")));
    EXPECT_LT(order.indexOf(QStringLiteral("ADriverType")), order.indexOf(QStringLiteral("BDriverType")));
    EXPECT_LT(order.indexOf(QStringLiteral("BDriverType")), order.indexOf(QStringLiteral("read")));
    EXPECT_LT(order.indexOf(QStringLiteral("read")), order.indexOf(QStringLiteral("write")));

    find("MaxPower")->setFocus();
    for (Qt::Key key : {Qt::Key_End, Qt::Key_Backspace, Qt::Key_2}) QTest::keyClick(find("MaxPower"), key);
    find("write")->setFocus();
    QTest::keyClick(find("write"), Qt::Key_Space);
    ASSERT_EQ(1u, dialogs.questions.size());
    EXPECT_TRUE(dialogs.questions.front().contains(QStringLiteral("MaxPower: 90 -> 92")));
}

// The wheel scrolls the window over a drop-down it has not focused, and changes
// only the one the user is in.
TEST_F(ChipEditorForm, TheWheelChangesOnlyTheFocusedDropDown) {
    plug(kChips[7], board(kChips[7]));
    open();
    QApplication::setActiveWindow(&window());
    auto *pin = find<QComboBox>("Cbus3");
    const QString before = pin->currentText();
    const auto wheel = [&] {
        QWheelEvent event(QPointF(5, 5), pin->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pin, &event);
    };
    wheel();
    EXPECT_EQ(before, pin->currentText());
    pin->setFocus();
    wheel();
    EXPECT_NE(before, pin->currentText());
}
