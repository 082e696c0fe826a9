// The main window's Tools > Chip Settings: offered while a device answers, the
// auto update held while it is open, and the main editor showing what it wrote.
#include "main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QTimer>

#include "chip_editor_fixture.h"

class ChipEditorInMainWindow : public ChipEditorTest {
protected:
    void TearDown() override {
        main_.reset();
        ChipEditorTest::TearDown();
    }
    kestrom::mainwindow::MainWindow &start() {
        main_ = std::make_unique<kestrom::mainwindow::MainWindow>(libraries());
        main_->show();
        return *main_;
    }
    QAction *item() { return main_->findChild<QAction *>(QStringLiteral("chipSettings")); }
    std::unique_ptr<kestrom::mainwindow::MainWindow> main_;
};

TEST_F(ChipEditorInMainWindow, OpensOnDeviceZeroWithTheAutoUpdateHeld) {
    writeDevices("");
    start();
    ASSERT_NE(nullptr, item());
    EXPECT_EQ(QStringLiteral("Chip &Settings ..."), item()->text());
    EXPECT_EQ(QKeySequence(QStringLiteral("Ctrl+K")), item()->shortcut());
    EXPECT_FALSE(item()->isEnabled()) << "no device answers";

    plug(kChips[3], board(kChips[3]));
    QTest::mouseClick(main_->findChild<QPushButton *>(QStringLiteral("read1")), Qt::LeftButton);
    EXPECT_TRUE(item()->isEnabled());
    QTest::mouseClick(main_->findChild<QCheckBox *>(QStringLiteral("auto_detekce")), Qt::LeftButton, {},
                      QPoint(6, 6));
    EXPECT_TRUE(main_->timer().isActive());

    main_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    QTest::keyClick(main_.get(), Qt::Key_K, Qt::ControlModifier);
    auto *editor =
        main_->findChild<kestrom::chipeditor::ChipSettingsWindow *>(QStringLiteral("chipSettingsWindow"));
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(QStringLiteral("Chip Settings"), editor->windowTitle());
    EXPECT_FALSE(main_->timer().isActive());
    auto *description = editor->findChild<QLineEdit *>(QStringLiteral("Description"));
    description->selectAll();
    QTest::keyClicks(description, QStringLiteral("Board"));
    dialogs.yesNoAnswers = {true};
    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("write")), Qt::LeftButton);
    EXPECT_EQ(QStringLiteral("Board"), main_->findChild<QLineEdit *>(QStringLiteral("Description_"))->text())
        << "the main editor shows the device again";
    EXPECT_TRUE(main_->log().lines().back().startsWith(QStringLiteral("Chip settings written")));

    QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("close")), Qt::LeftButton);
    EXPECT_TRUE(main_->timer().isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(nullptr, main_->findChild<QWidget *>(QStringLiteral("chipSettingsWindow")));
}
