#include "main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include "chip_settings_window.h"
#include "device_access.h"
#include "log_header.h"
#include "window_settings.h"

namespace kestrom::mainwindow {

namespace {

// Stored as 0 clear, 1 checked, 2 greyed.
Qt::CheckState checkState(int value) {
    if (value == 0) return Qt::Unchecked;
    return value == kGreyToggle ? Qt::PartiallyChecked : Qt::Checked;
}

int storedState(Qt::CheckState state) {
    if (state == Qt::Unchecked) return 0;
    return state == Qt::PartiallyChecked ? kGreyToggle : 1;
}

void setReportOption(QCheckBox *box, int value) {
    if (value == kGreyToggle) box->setTristate(true);
    box->setCheckState(checkState(value));
}

}  // namespace

MainWindow::MainWindow(platform::Libraries &libraries, QWidget *parent)
    : QMainWindow(parent), libraries_(libraries), twips_(logicalDpiY()) {
    setObjectName(QStringLiteral("BM"));
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    form_ = new EditorForm(central);
    log_ = new LoggerList(central);
    timer_.setObjectName(QStringLiteral("Timer1"));
    timer_.setInterval(1000);
    new output::OutputCommands(*this, *log_, buildMenus());
    connectHandlers();
    // After the tick and Read, which find the device there or gone.
    connect(&timer_, &QTimer::timeout, this, [this] { offerChipSettings(!deviceMissing_); });
    connect(form_->commands().read, &QPushButton::clicked, this,
            [this] { offerChipSettings(libraries_.romgate.FT_GetDeviceID_() != ROMGATE_OPEN_FAILED); });
    // Until a chip is named no chip group may look editable: Write would ignore it.
    for (ControlGroup group : {ControlGroup::Bm, ControlGroup::Ft2232c}) {
        form_->chipToggle(group)->setEnabled(false);
        refreshGroup(group);
    }

    setMinimumSize(twips_.toPixels(kWindowWidth), twips_.toPixels(kMinimumHeight));
    setMaximumWidth(twips_.toPixels(kWindowWidth));
    form_->setGeometry(twips_.toPixels(kLogLeft), 0, twips_.toPixels(kLogWidth), twips_.toPixels(kLogTop) - 2);
    log_->move(twips_.toPixels(kLogLeft), twips_.toPixels(kLogTop));
    load();
}

void MainWindow::load() {
    deviceMissing_ = false;
    timer_.stop();
    form_->commands().read->setEnabled(true);
    WriteLogHeader();
    restorePlacement();

    const int32_t chip = IdentifyDevice();
    offerChipSettings(chip != kNoDeviceAnswers);
    FillDefaults();
    if (chip == kNoDeviceAnswers) {
        log_->append(QStringLiteral("FTDI Device Not Find ..."));
        reports::AppendAccessHint(*log_);
        for (ControlGroup group : {ControlGroup::Bm, ControlGroup::Ft2232c}) {
            form_->chipToggle(group)->setEnabled(false);
            form_->chipToggle(group)->setCheckState(Qt::Unchecked);
            refreshGroup(group);
        }
        return;
    }
    form_->commands().defaults->setChecked(true);
    ReportEeprom();
    if (chip == FT_DEVICE_2232C) form_->control<Field::Rev5>()->setCheckState(Qt::Checked);
    if (chip == FT_DEVICE_BM) form_->control<Field::Rev4>()->setCheckState(Qt::Checked);
    offerRecovery();
}

void MainWindow::offerChipSettings(bool deviceAnswers) {
    chipSettingsAction_->setEnabled(deviceAnswers);
}

void MainWindow::openChipSettings() {
    if (chipSettings_ != nullptr) {
        chipSettings_->activateWindow();
        return;
    }
    chipSettingsPause_ = std::make_unique<TickPause>(timer_);
    auto *window = new chipeditor::ChipSettingsWindow(libraries_.d2xx, *log_, this);
    window->setWindowModality(Qt::ApplicationModal);
    // The main window's editor shows what was written when it shows the device.
    window->onWritten([this] {
        if (form_->commands().device->isChecked()) LoadFromDevice();
    });
    connect(window, &QDialog::finished, this, [this, window] {
        chipSettingsPause_.reset();
        window->deleteLater();
    });
    chipSettings_ = window;
    window->show();
}

void MainWindow::WriteLogHeader() { reports::WriteLogHeader(*log_); }

void MainWindow::ReportEeprom() {
    // A chip the user may not open: one more line says how to fix it.
    if (!reports::ReportEeprom(*log_, reportOptions(), libraries_)) reports::AppendAccessHint(*log_);
}

reports::ReportOptions MainWindow::reportOptions() const {
    return {form_->commands().textInfo->checkState() == Qt::Checked,
            form_->commands().binaryInfo->checkState() == Qt::Checked};
}

void MainWindow::restorePlacement() {
    const std::optional<WindowSettings> saved = loadWindowSettings();
    if (!saved) {
        centre();
        form_->commands().textInfo->setChecked(true);
        form_->commands().binaryInfo->setChecked(true);
        return;
    }
    move(twips_.toPixels(saved->left), twips_.toPixels(saved->top));
    setReportOption(form_->commands().textInfo, saved->textInfo);
    setReportOption(form_->commands().binaryInfo, saved->binaryInfo);
    resize(width(), twips_.toPixels(saved->height));
    applyResizeRule();

    // A window wholly off every screen could never be reached: open it centred instead.
    const QRect placed(pos(), frameGeometry().size());
    bool visible = false;
    for (const QScreen *screen : QGuiApplication::screens()) visible |= screen->geometry().intersects(placed);
    if (!visible) centre();
}

void MainWindow::centre() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    applyResizeRule();
}

// Only the height can change; the log list takes what the editor leaves.
void MainWindow::applyResizeRule() {
    const int width = twips_.toPixels(kWindowWidth);
    const int minimum = twips_.toPixels(kMinimumHeight);
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    if (normal && (this->width() != width || height() < minimum)) {
        resize(width, std::max(height(), minimum));
        return;  // the resize runs the rule again
    }
    log_->resize(twips_.toPixels(kLogWidth), std::max(0, height() - twips_.toPixels(kHeightAboveLog)));
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // An About box left open keeps the program running: the poll must not.
    timer_.stop();
    saveSettings();
    event->accept();
}

void MainWindow::saveSettings() {
    const EditorCommands &commands = form_->commands();
    saveWindowSettings({twips_.fromPixels(pos().y()), twips_.fromPixels(pos().x()),
                        storedState(commands.textInfo->checkState()), storedState(commands.binaryInfo->checkState()),
                        twips_.fromPixels(height())});
}

}  // namespace kestrom::mainwindow
