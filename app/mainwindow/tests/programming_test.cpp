// Write and Erase on simulated devices, checked by reading the EEPROM back.
#include <functional>
#include <tuple>
#include <vector>

#include "editor_controls.h"
#include "window_fixture.h"

namespace {

using namespace kestrom::mainwindow;
using Edits = std::vector<std::pair<const char *, const char *>>;  // a box's text, or "1"/"0"

const char *const kBm = "[bm]\nchip = BM\neeprom = ft232bm.bin\n";
const QString kWritten = QStringLiteral("***  EEPROM successfully written!  ***");

// The names of what Write hands over for `group`.
std::vector<const char *> handedOver(ControlGroup group) {
    std::vector<const char *> names;
    for (const EditorControl *control : writeOrder(group)) names.push_back(control->objectName);
    return names;
}
const std::vector<const char *> kCommon = handedOver(ControlGroup::Common);
const std::vector<const char *> kBmGroup = handedOver(ControlGroup::Bm);
const std::vector<const char *> kFt2232cGroup = handedOver(ControlGroup::Ft2232c);
const std::vector<const char *> kNoGroup;

}  // namespace

class ProgrammingTest : public WindowTest {
protected:
    void set(const Edits &edits) {
        for (auto [name, value] : edits) {
            if (auto *box = find<QLineEdit>(name)) {
                box->setText(QString::fromUtf8(value));
            } else {
                find<QAbstractButton>(name)->setChecked(*value == '1');
            }
        }
    }
    QStringList shown(std::initializer_list<std::reference_wrapper<const std::vector<const char *>>> groups) {
        QStringList values;
        for (const std::vector<const char *> &group : groups) {
            for (const char *name : group) {
                auto *box = find<QLineEdit>(name);
                values << QStringLiteral("%1=%2").arg(name,
                                                      box ? box->text() : QString::number(ticked(name)));
            }
        }
        return values;
    }
    // The line `back` lines before the log's end.
    QString line(qsizetype back) { return logLines().at(logLines().size() - 1 - back); }
    kestrom::platform::RomgateBinding &romgate() { return libraries().romgate; }
};

TEST_F(ProgrammingTest, TheEepromHoldsWhatTheEditorShowsForEachChip) {
    const Edits common = {{"manufactuer", "Pelmora ž"}, {"Description_", "Kestrom ěšč"},
                          {"serial_number", "QV777"},   {"ProductID", "6015"},
                          {"max_power", "120"},         {"plug_and_play", "0"},
                          {"self_powered", "1"},        {"remote_wakeup", "1"}};
    const Edits bm = {
        {"iso_in", "1"}, {"int_pden", "1"}, {"int_do_serno", "0"}, {"int_usb_ver", "1"}, {"Text5", "0110"}};
    // Stored only with version 1; set B emptied must store three zeros.
    const Edits ft2232c = {{"IFAIsFastSer", "1"},   {"IFBIsFifo", "0"},        {"AIsHighCurrent", "1"},
                           {"AIsVCP", "0"},         {"IsoOutB", "1"},          {"SerNumEnable5", "1"},
                           {"USBVersion5", "0110"}, {"USBVersionEnable5", "1"}};
    const Edits none;
    struct Case {
        const char *example;
        const Edits &edits;
        const std::vector<const char *> &group;
    };
    for (const Case &c : {Case{"ft232bm", bm, kBmGroup}, Case{"ft2232c", ft2232c, kFt2232cGroup},
                          Case{"ft232r", none, kNoGroup}, Case{"ft8u232am", none, kNoGroup}}) {
        SCOPED_TRACE(c.example);
        start(c.example);
        click("read1");
        set(common);
        set(c.edits);
        const QStringList edited = shown({kCommon, c.group});
        dialogs.yesNoAnswers.push_back(true);  // the new ProductID
        click("write1");
        EXPECT_EQ(kWritten, line(1));
        EXPECT_EQ(QString(), line(0));
        click("read1");
        EXPECT_EQ(edited, shown({kCommon, c.group}));
    }
}

TEST_F(ProgrammingTest, GroupsNotHandedOverKeepWhatTheRecordHeld) {
    for (const char *other : {kBm, "[am]\nchip = AM\neeprom = ft8u232am.bin\n"}) {
        SCOPED_TRACE(other);
        start("ft2232c");
        click("read1");  // the record now holds the FT2232C's fields
        replug(other);
        set({{"AIsVCP", "0"}, {"IFBIsFifoTar", "1"}, {"iso_in", "1"}});
        dialogs.yesNoAnswers.push_back(true);  // the FT2232C's IDs onto the other chip
        click("write1");
        ASSERT_EQ(kWritten, line(1));
        EXPECT_EQ(1, romgate().GET_AIsVCP_());
        EXPECT_EQ(1, romgate().GET_IFBIsFifo_());
        EXPECT_EQ(0, romgate().GET_IFBIsFifoTar_());
        EXPECT_EQ(other == kBm ? 1 : 0, romgate().GET_IsoIn_()) << "the FT2xxBM group goes to a BM only";
    }
}

TEST_F(ProgrammingTest, NumbersHandOverTheirLow16Bits) {
    start("ft232bm");
    set({{"VendorID", "1FFFF"}, {"ProductID", "8000"}, {"Text5", "-1"}, {"max_power", "65636"}});
    dialogs.yesNoAnswers = {true, true};  // new IDs, twice
    click("write1");
    EXPECT_EQ(kWritten, line(1));
    EXPECT_EQ(0xFFFF, romgate().GET_VendorId_());
    EXPECT_EQ(0x8000, romgate().GET_ProductId_());
    EXPECT_EQ(0xFFFF, romgate().GET_USBVersion_());
    EXPECT_EQ(100, romgate().GET_MaxPower_());

    set({{"VendorID", ""}, {"max_power", ""}});
    click("write1");
    EXPECT_EQ(0, romgate().GET_VendorId_());
    EXPECT_EQ(0, romgate().GET_MaxPower_());
}

// A grey toggle (a loaded 2) goes back as 2, not as ticked or clear.
TEST_F(ProgrammingTest, AGreyToggleIsHandedOverAsTwo) {
    start("ft232bm");
    for (const char *name : {"iso_out", "self_powered"}) {
        auto *box = find<QCheckBox>(name);
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
    }
    click("write1");
    EXPECT_EQ(2, romgate().GET_IsoOut_());
    EXPECT_EQ(2, romgate().GET_SelfPowered_());
    EXPECT_EQ(0, romgate().GET_IsoIn_());
}

TEST_F(ProgrammingTest, FailuresNameTheStatus) {
    const std::tuple<const char *, const char *, bool> cases[] = {
        {"", "EE_Program FAILED: code 2", false},  // no device: nothing to back up
        {"fail.FT_Open = 3", "EE_Program FAILED: code 3", false},
        {"fail.FT_EraseEE = 4", "EE_Program FAILED: code 4", true},
        {"fail.FT_EE_Program = 15", "EE_Program FAILED: code 15", true},
        {"fail.FT_Close = 4", "EE_Program FAILED: code 4", true},  // programmed, but the close failed
    };
    for (auto [failure, expected, backedUp] : cases) {
        SCOPED_TRACE(*failure ? failure : "no device");
        start("ft232bm");
        replug(*failure ? std::string(kBm) + failure + "\n" : "");
        const qsizetype lines = logLines().size();
        click("write1");
        EXPECT_EQ(QString::fromLatin1(expected), line(0));
        EXPECT_EQ(lines + (backedUp ? 2 : 1), logLines().size());
        if (backedUp) {
            EXPECT_TRUE(line(1).startsWith(u"EEPROM backup: ")) << line(1).toStdString();
        }
    }
}

TEST_F(ProgrammingTest, EraseReportsItsOutcomeAndLeavesTheEditorAlone) {
    start("ft232bm");
    click("read1");
    const QStringList before = shown({kCommon, kBmGroup});
    click("eeprom_erase");
    EXPECT_EQ(QStringLiteral("***  EEPROM successfully erase!  ***"), line(1));
    EXPECT_EQ(QString(), line(0));
    EXPECT_EQ(before, shown({kCommon, kBmGroup}));
    EXPECT_EQ(std::string(128, '\xFF'), readBytes("ft232bm.bin"));

    for (auto [failure, expected] :
         {std::pair{"", "FT_EraseEE FAILED: code 2"}, {"fail.FT_EraseEE = 4", "FT_EraseEE FAILED: code 4"}}) {
        replug(*failure ? std::string(kBm) + failure + "\n" : "");
        click("eeprom_erase");
        EXPECT_EQ(QString::fromLatin1(expected), line(0));
    }
}
