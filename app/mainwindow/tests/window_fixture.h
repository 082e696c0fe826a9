// A main window on a simulated device, driven by its controls' names.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <ostream>

#include "main_window.h"
#include "program_folder.h"
#include "queued_dialogs.h"
#include "sim_fixture.h"

// Readable failures.
inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

class WindowTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        QSettings(QStringLiteral("Pelmora"), QStringLiteral("Vantorel")).clear();
        // Backups and the write journal of this test only.
        previousData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data_.path().toUtf8());
    }
    void TearDown() override {
        window_.reset();
        qputenv("XDG_DATA_HOME", previousData_);
        SimFixture::TearDown();
    }
    QString dataFolder() const { return data_.path(); }

    // Starts the window on the example device `example` (a devices file in examples/), or none.
    kestrom::mainwindow::MainWindow &start(const std::string &example = "") {
        copyAllExamples();
        if (example.empty()) {
            writeDevices("");
            useDevicesFile("devices.ini");
        } else {
            useDevicesFile(example + ".ini");
        }
        window_ = std::make_unique<kestrom::mainwindow::MainWindow>(libraries());
        window_->show();
        return *window_;
    }
    static kestrom::platform::Libraries &libraries() {
        static kestrom::platform::Libraries libraries(kestrom::platform::programFolder());
        return libraries;
    }

    // A new window on the devices as they are now, as a second start of the program.
    kestrom::mainwindow::MainWindow &startAgain() {
        window_.reset();
        window_ = std::make_unique<kestrom::mainwindow::MainWindow>(libraries());
        window_->show();
        return *window_;
    }

    // Plugs in what `ini` describes, in place of the device started with.
    void replug(const std::string &ini) {
        writeDevices(ini);
        useDevicesFile("devices.ini");
    }

    kestrom::mainwindow::MainWindow &window() { return *window_; }
    template <typename Widget = QWidget>
    Widget *find(const char *name) {
        return window_->findChild<Widget *>(QString::fromLatin1(name));
    }
    // A click where a user clicks: on a box's indicator, a button's middle.
    void click(const char *name) {
        auto *button = find<QAbstractButton>(name);
        const bool box = qobject_cast<QPushButton *>(button) == nullptr;
        QTest::mouseClick(button, Qt::LeftButton, {}, box ? QPoint(6, button->height() / 2) : button->rect().center());
    }
    QString text(const char *name) { return find<QLineEdit>(name)->text(); }
    bool ticked(const char *name) { return find<QAbstractButton>(name)->isChecked(); }
    bool enabled(const char *name) { return find(name)->isEnabled(); }
    QStringList logLines() { return window_->log().lines(); }

    // Every dialog of the window answered here: No and Cancel unless a test queues more.
    QueuedDialogs dialogs;

private:
    QTemporaryDir data_;
    QByteArray previousData_;
    std::unique_ptr<kestrom::mainwindow::MainWindow> window_;
};
