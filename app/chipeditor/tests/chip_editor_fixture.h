// The chip editor on one simulated device, driven by its controls' names: the
// device's EEPROM file read back as words, the dialogs answered by the test.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <ostream>
#include <vector>

#include "chip_settings.h"
#include "chip_settings_window.h"
#include "libraries.h"
#include "log_sink.h"
#include "program_folder.h"
#include "queued_dialogs.h"
#include "sim_fixture.h"

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

struct Chip {
    const char *sim;  // the devices file's name for it
    uint32_t type;
    size_t words;
};
inline const Chip kChips[] = {{"AM", FT_DEVICE_AM, 64},        {"BM", FT_DEVICE_BM, 64},
                              {"2232C", FT_DEVICE_2232C, 128}, {"232R", FT_DEVICE_232R, 64},
                              {"2232H", FT_DEVICE_2232H, 128}, {"4232H", FT_DEVICE_4232H, 128},
                              {"232H", FT_DEVICE_232H, 128},   {"X", FT_DEVICE_X_SERIES, 128}};

class ChipEditorTest : public SimFixture {
protected:
    using Contents = kestrom::d2xx::EepromContents;

    void SetUp() override {
        SimFixture::SetUp();
        previousData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data_.path().toUtf8());
    }
    void TearDown() override {
        window_.reset();
        qputenv("XDG_DATA_HOME", previousData_);
        SimFixture::TearDown();
    }

    static kestrom::platform::Libraries &libraries() {
        static kestrom::platform::Libraries libraries(kestrom::platform::programFolder());
        return libraries;
    }

    // What a programmed board of the chip holds: its defaults and a serial number.
    static Contents board(const Chip &chip) {
        Contents contents = kestrom::d2xx::chipDefaults(chip.type);
        contents.serialNumber = "KS0001";
        return contents;
    }
    // Plugs in device 0: a `chip` whose EEPROM holds `contents`.
    void plug(const Chip &chip, const Contents &contents) {
        std::vector<uint16_t> words(chip.words, 0xFFFF);
        ASSERT_EQ(FT_OK, kestrom::d2xx::encode(chip.type, contents, words));
        writeBytes("d.bin", std::string(reinterpret_cast<const char *>(words.data()), words.size() * 2));
        writeDevices(std::string("[d]\nchip = ") + chip.sim +
                     "\neeprom = d.bin\neeprom_words = " + std::to_string(chip.words) + "\n");
    }
    std::vector<uint16_t> chipWords() const {
        const std::string bytes = readBytes("d.bin");
        std::vector<uint16_t> words(bytes.size() / 2);
        std::memcpy(words.data(), bytes.data(), words.size() * 2);
        return words;
    }
    Contents held(const Chip &chip) const {
        Contents contents;
        EXPECT_EQ(FT_OK, kestrom::d2xx::decode(chip.type, chipWords(), contents));
        return contents;
    }

    kestrom::chipeditor::ChipSettingsWindow &open() {
        window_ = std::make_unique<kestrom::chipeditor::ChipSettingsWindow>(libraries().d2xx, log);
        window_->show();
        return *window_;
    }

    kestrom::chipeditor::ChipSettingsWindow &window() { return *window_; }
    template <typename Widget = QWidget>
    Widget *find(const char *name) {
        auto *widget = window_->findChild<Widget *>(QString::fromLatin1(name));
        EXPECT_NE(nullptr, widget) << name;
        return widget;
    }
    void click(const char *name) {
        auto *button = find<QAbstractButton>(name);
        const bool box = qobject_cast<QPushButton *>(button) == nullptr;
        QTest::mouseClick(button, Qt::LeftButton, {},
                          box ? QPoint(6, button->height() / 2) : button->rect().center());
    }
    // Selects what the box holds and types `text` over it.
    void type(const char *name, const QString &text) {
        auto *box = find<QLineEdit>(name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        for (const QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(box, char(c.unicode()));
            } else {  // QTest types ASCII only: a letter of a keyboard layout comes as its text
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
        }
    }
    QString text(const char *name) { return find<QLineEdit>(name)->text(); }
    QString shown(const char *name) { return find<QComboBox>(name)->currentText(); }

    QStringList backups() const {
        return QDir(data_.path() + QStringLiteral("/kestrom/backups")).entryList({QStringLiteral("*.bin")});
    }

    QueuedDialogs dialogs;
    kestrom::reports::LineList log;

private:
    QTemporaryDir data_;
    QByteArray previousData_;
    std::unique_ptr<kestrom::chipeditor::ChipSettingsWindow> window_;
};
