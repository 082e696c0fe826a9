// Write on every chip kind: one setting of each kind changed as a user changes it,
// the changes listed in a question whose default is No, and afterwards the chip
// holds exactly those changes (the codec and libftdi1 read it) with a backup made.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <bit>

#include "chip_editor_fixture.h"
#include "factory_defaults.h"
#include "ftdi_oracle.h"

using kestrom::eeprom::Setting;
using kestrom::eeprom::SettingKind;
using kestrom::eeprom::Value;

class ChipEditorWrite : public ChipEditorTest {
protected:
    // Changes one setting of each kind the chip has; `expected` follows.
    void changeOneOfEachKind(const Chip &chip, Contents &expected) {
        type("MaxPower", QStringLiteral("200"));
        type("Description", QStringLiteral("Board"));
        type("ProductId", QStringLiteral("6042"));
        expected.fields.MaxPower = 200, expected.description = "Board", expected.fields.ProductId = 0x6042;
        const kestrom::eeprom::ChipTable &table = *kestrom::eeprom::chipTable(chip.type);
        const auto inMode = [&](const Setting *s) {
            for (const auto &modes : table.oneOf)
                if (std::find(modes.begin(), modes.end(), s) != modes.end()) return true;
            return false;
        };
        const Setting *flag = nullptr, *choice = nullptr, *current = nullptr;
        for (const Setting *s : table.settings) {
            if (s->kind == SettingKind::Flag && s->settable() && !s->chipFixed && !inMode(s)) flag = s;
            if (s->kind == SettingKind::Choice && choice == nullptr) choice = s;
            if (s->rule == kestrom::eeprom::NumberRule::DriveCurrent && current == nullptr) current = s;
        }
        ASSERT_NE(nullptr, flag);
        click(flag->name);
        setSettingValue(*flag, expected, {uint32_t(settingValue(*flag, expected).number == 0), {}});
        for (const Setting *list : {choice, current}) {
            if (list == nullptr) continue;
            auto *box = find<QComboBox>(list->name);
            box->setFocus();
            QTest::keyClick(box, box->currentIndex() + 1 < box->count() ? Qt::Key_Down : Qt::Key_Up);
            setSettingValue(*list, expected, {box->currentData().toUInt(), {}});
        }
        if (!table.oneOf.empty()) {
            const auto &modes = table.oneOf.front();
            click(modes[1]->name);
            for (const Setting *mode : modes)
                setSettingValue(*mode, expected, {uint32_t(mode == modes[1]), {}});
        }
    }
    void writeWithYes() {
        dialogs.yesNoAnswers = {true};
        click("write");
    }
    void expectHolds(const Chip &chip, const Contents &expected) {
        const Contents now = held(chip);
        for (const Setting *s : kestrom::eeprom::chipSettings(chip.type))
            EXPECT_EQ(settingValue(*s, expected), settingValue(*s, now)) << s->name;
    }
};

TEST_F(ChipEditorWrite, OneSettingOfEachKindOnEveryChip) {
    for (const Chip &chip : kChips) {
        SCOPED_TRACE(chip.sim);
        plug(chip, board(chip));
        open();
        Contents expected = board(chip);
        changeOneOfEachKind(chip, expected);
        const qsizetype backupsBefore = backups().size();
        writeWithYes();
        ASSERT_EQ(1u, dialogs.questions.size());
        const QString question = dialogs.questions.back();
        EXPECT_TRUE(dialogs.questionsWithNoByDefault.back());
        EXPECT_TRUE(question.contains(QStringLiteral("MaxPower: 90 -> 200"))) << question.toStdString();
        EXPECT_TRUE(question.contains(QStringLiteral("Description: \"")));
        EXPECT_TRUE(question.contains(QStringLiteral("FTD2XX_VIDPID")) &&
                    question.contains(QStringLiteral("udev")));
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text.toStdString();
        expectHolds(chip, expected);

        std::string error;
        const auto oracle = kestrom::d2xx::oracle::decode(chip.type, chipWords(), error);
        ASSERT_TRUE(oracle.has_value()) << error;
        EXPECT_EQ("Board", oracle->product);
        EXPECT_EQ(200, oracle->maxPower);
        EXPECT_EQ(0x6042, oracle->productId);

        EXPECT_EQ(backupsBefore + 1, backups().size());
        ASSERT_GE(log.lines.size(), 2);
        EXPECT_TRUE(log.lines[log.lines.size() - 2].startsWith(QStringLiteral("EEPROM backup: ")));
        EXPECT_TRUE(log.lines.back().startsWith(QStringLiteral("Chip settings written to the")));
        dialogs.questions.clear(), dialogs.questionsWithNoByDefault.clear();
    }
}

// No, a value the setting does not take and a form that changes nothing all leave
// the chip as it was, without a backup.
TEST_F(ChipEditorWrite, NothingIsWrittenWithoutAYes) {
    const Chip &chip = kChips[6];
    plug(chip, board(chip));
    const std::vector<uint16_t> before = chipWords();
    open();
    click("write");
    EXPECT_TRUE(dialogs.questions.empty());
    ASSERT_EQ(1u, dialogs.messages.size());
    EXPECT_TRUE(dialogs.messages.back().text.contains(QStringLiteral("already holds")));

    type("MaxPower", QStringLiteral("200"));
    click("write");  // answered No
    EXPECT_EQ(1u, dialogs.questions.size());

    type("VendorId", QString());
    type("MaxPower", QStringLiteral("201"));
    click("write");
    EXPECT_EQ(1u, dialogs.questions.size()) << "no question for refused values";
    EXPECT_TRUE(dialogs.messages.back().detail.contains(QStringLiteral("VendorId: a number is needed")));
    EXPECT_TRUE(dialogs.messages.back().detail.contains(QStringLiteral("MaxPower: allowed: 0-500, even")));

    EXPECT_EQ(before, chipWords());
    EXPECT_TRUE(backups().empty());
    EXPECT_TRUE(log.lines.isEmpty());
}

// A chip that reads blank gets every setting shown, even unchanged, after a question
// that lists them.
TEST_F(ChipEditorWrite, ABlankChipIsWrittenWithWhatIsShown) {
    const Chip &chip = kChips[3];
    writeBytes("d.bin", std::string(128, '\xFF'));
    writeDevices("[d]\nchip = 232R\neeprom = d.bin\neeprom_words = 64\n");
    open();
    EXPECT_TRUE(find<QLabel>("chipStatus")->text().contains(QStringLiteral("reads blank")));
    writeWithYes();
    ASSERT_EQ(1u, dialogs.questions.size());
    EXPECT_TRUE(dialogs.questions.front().contains(QStringLiteral("reads blank")));
    EXPECT_TRUE(dialogs.questions.front().contains(QStringLiteral("Cbus0 = TXLED")));
    expectHolds(chip, kestrom::d2xx::chipDefaults(chip.type));
    EXPECT_EQ(1, backups().size());
}

// A text too long for what the chip takes is held back by its box; the room shows.
TEST_F(ChipEditorWrite, TextBoxesShowTheRoomLeft) {
    const Chip &chip = kChips[4];
    plug(chip, board(chip));
    open();
    type("SerialNumber", QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(QStringLiteral("ABCDEFGHIJKLMNO"), text("SerialNumber"));
    EXPECT_EQ(QStringLiteral("0 of 15 bytes left"), find<QLabel>("SerialNumberRoom")->text());
    type("Description", QStringLiteral("Čidlo"));  // six bytes of UTF-8
    EXPECT_EQ(QStringLiteral("57 of 63 bytes left"), find<QLabel>("DescriptionRoom")->text());
    EXPECT_TRUE(find<QLabel>("stringRoom")->text().contains(QStringLiteral("bytes left")));

    // The older chips' manufacturer ID follows the serial number it is made of.
    plug(kChips[1], board(kChips[1]));
    open();
    EXPECT_EQ(QStringLiteral("KS"), text("ManufacturerId"));
    type("SerialNumber", QStringLiteral("QX123"));
    EXPECT_EQ(QStringLiteral("QX"), text("ManufacturerId"));
}

// Defaults shows the factory settings of the datasheet, the serial number kept,
// and Write puts exactly them on the chip.
TEST_F(ChipEditorWrite, DefaultsAreEachChipsFactorySettings) {
    const char *const productIds[] = {"6001", "6001", "6010", "6001", "6010", "6011", "6014", "6015"};
    for (size_t i = 0; i < std::size(kChips); ++i) {
        const Chip &chip = kChips[i];
        SCOPED_TRACE(chip.sim);
        Contents changed = board(chip);
        changed.fields.MaxPower = 300, changed.fields.ProductId = 0x1111, changed.description = "Board";
        plug(chip, changed);
        open();
        click("defaults");
        EXPECT_EQ(QStringLiteral("0403"), text("VendorId"));
        EXPECT_EQ(QString::fromLatin1(productIds[i]), text("ProductId"));
        EXPECT_EQ(QStringLiteral("90"), text("MaxPower"));
        EXPECT_EQ(QStringLiteral("KS0001"), text("SerialNumber"));
        if (chip.type == FT_DEVICE_232R) {
            EXPECT_EQ(QStringLiteral("TXLED"), shown("Cbus0"));
            EXPECT_EQ(QStringLiteral("SLEEP"), shown("Cbus4"));
            EXPECT_TRUE(find<QCheckBox>("RemoteWakeup")->isChecked());
        }
        if (chip.type == FT_DEVICE_X_SERIES) {
            EXPECT_EQ(QStringLiteral("TXDEN"), shown("Cbus0"));
            EXPECT_EQ(QStringLiteral("Board"), text("Description")) << "each X chip has its own";
        }
        if (chip.type == FT_DEVICE_2232H) {
            EXPECT_EQ(QStringLiteral("4 mA"), shown("ALDriveCurrent"));
        }
        writeWithYes();
        expectHolds(chip, kestrom::chipeditor::factoryDefaults(chip.type, changed));
    }
}

// A value the setting does not take (a damaged or foreign EEPROM: IOMODE on the
// FT232R's CBUS4) is shown as such and refused until an allowed one is chosen.
TEST_F(ChipEditorWrite, AValueThePinLacksIsShownAndRefused) {
    const Chip &chip = kChips[3];
    Contents sleep = board(chip), txden = board(chip);
    txden.fields.Cbus4 = FT_232R_CBUS_TXDEN;
    std::vector<uint16_t> words(64, 0xFFFF), other(64, 0xFFFF);
    ASSERT_EQ(FT_OK, kestrom::d2xx::encode(chip.type, sleep, words));
    ASSERT_EQ(FT_OK, kestrom::d2xx::encode(chip.type, txden, other));
    size_t word = 0;
    while (word < 63 && words[word] == other[word]) ++word;
    ASSERT_LT(word, 63u);
    const int shift = std::countr_zero(unsigned(words[word] ^ other[word])) / 4 * 4;
    words[word] = uint16_t((words[word] & ~(0xF << shift)) | (FT_232R_CBUS_IOMODE << shift));
    words[63] = kestrom::d2xx::chipChecksum(chip.type, words, 64);
    writeBytes("d.bin", std::string(reinterpret_cast<const char *>(words.data()), 128));
    writeDevices("[d]\nchip = 232R\neeprom = d.bin\neeprom_words = 64\n");

    open();
    const QString damaged = QStringLiteral("10 (not a value of this setting)");
    EXPECT_EQ(damaged, shown("Cbus4"));
    type("MaxPower", QStringLiteral("200"));
    click("write");
    EXPECT_TRUE(dialogs.questions.empty());
    ASSERT_EQ(1u, dialogs.messages.size());
    EXPECT_TRUE(dialogs.messages.front().detail.startsWith(QStringLiteral("Cbus4: allowed: ")));

    auto *pin = find<QComboBox>("Cbus4");
    pin->setCurrentIndex(pin->findText(QStringLiteral("SLEEP")));
    writeWithYes();
    sleep.fields.MaxPower = 200;
    expectHolds(chip, sleep);
    EXPECT_EQ(-1, pin->findText(damaged)) << "the chip holds an allowed function now";
}

// A failed write is said in the log with where the old contents are; another chip
// plugged in since the window read is not written with this one's settings.
TEST_F(ChipEditorWrite, FailuresAreSaidAndNothingIsLost) {
    const Chip &chip = kChips[1];
    plug(chip, board(chip));
    writeDevices("[d]\nchip = BM\neeprom = d.bin\neeprom_words = 64\nfail.FT_EE_Program = 4\n");
    const std::vector<uint16_t> before = chipWords();
    open();
    type("MaxPower", QStringLiteral("200"));
    writeWithYes();
    ASSERT_EQ(2, log.lines.size());
    EXPECT_TRUE(log.lines[0].startsWith(QStringLiteral("EEPROM backup: ")));
    EXPECT_TRUE(
        log.lines[1].startsWith(QStringLiteral("Chip settings not written: programming failed: status 4")))
        << log.lines[1].toStdString();
    EXPECT_TRUE(log.lines[1].contains(QStringLiteral("the old contents are in ")));
    EXPECT_EQ(before, chipWords());

    plug(kChips[6], board(kChips[6]));
    const std::vector<uint16_t> other = chipWords();
    writeWithYes();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(QStringLiteral("Device 0 is now an FT232H")));
    EXPECT_EQ(other, chipWords());
    EXPECT_EQ(2, log.lines.size());
}

// Write changes only what the user changed: a mode the chip holds stays, and so
// does what another program wrote to the chip since the window read it.
TEST_F(ChipEditorWrite, OnlyWhatTheUserChangedIsWritten) {
    const Chip &chip = kChips[4];
    Contents held = board(chip);
    held.ft2232h.AIsFifoTar = 1;
    plug(chip, held);
    open();
    EXPECT_TRUE(find<QAbstractButton>("AIsFifoTar")->isChecked());
    held.description = "Written meanwhile";
    plug(chip, held);
    type("MaxPower", QStringLiteral("120"));
    writeWithYes();
    held.fields.MaxPower = 120;
    expectHolds(chip, held);
}
