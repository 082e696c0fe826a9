#include "main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include "log_header.h"
#include "output_commands.h"
#include "window_settings.h"

namespace kestrom::mainwindow {

namespace {

// Stored as 0 clear, 1 checked, 2 greyed.
Qt::CheckState checkState(int value) {
    if (value == 0) return Qt::Unchecked;
    return value == 2 ? Qt::PartiallyChecked : Qt::Checked;
}

int storedState(Qt::CheckState state) {
    if (state == Qt::Unchecked) return 0;
    return state == Qt::PartiallyChecked ? 2 : 1;
}

void setReportOption(QCheckBox *box, int value) {
    if (value == 2) box->setTristate(true);
    box->setCheckState(checkState(value));
}

}  // namespace

BM::BM(platform::Libraries &libraries, QWidget *parent)
    : QMainWindow(parent), libraries_(libraries), twips_(logicalDpiY()) {
    setObjectName(QStringLiteral("BM"));
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    form_ = new EditorForm(central);
    log_ = new LoggerList(central);
    timer_.setObjectName(QStringLiteral("Timer1"));
    timer_.setInterval(1000);
    buildMenus();
    connectHandlers();
    output::connectOutputCommands(*this, *log_);
    // Until a chip is named no chip group may look editable: Write would ignore it.
    form_->checkBox(QStringLiteral("Rev4"))->setEnabled(false);
    form_->checkBox(QStringLiteral("Rev5"))->setEnabled(false);
    RefreshBmGroup();
    RefreshFt2232cGroup();

    setMinimumSize(twips_.toPixels(kWindowWidth), twips_.toPixels(kMinimumHeight));
    setMaximumWidth(twips_.toPixels(kWindowWidth));
    form_->setGeometry(twips_.toPixels(kLogLeft), 0, twips_.toPixels(kLogWidth), twips_.toPixels(kLogTop) - 2);
    log_->move(twips_.toPixels(kLogLeft), twips_.toPixels(kLogTop));
    load();
}

void BM::load() {
    DeviceMissing = false;
    timer_.stop();
    form_->button(QStringLiteral("read1"))->setEnabled(true);
    WriteLogHeader();
    restorePlacement();

    const int32_t chip = IdentifyDevice();
    FillDefaults();
    if (chip == -1) {
        log_->append(QStringLiteral("FTDI Device Not Find ..."));
        for (auto [box, refresh] : {std::pair{"Rev4", &BM::RefreshBmGroup}, {"Rev5", &BM::RefreshFt2232cGroup}}) {
            form_->checkBox(box)->setEnabled(false);
            form_->checkBox(box)->setCheckState(Qt::Unchecked);
            (this->*refresh)();
        }
        return;
    }
    form_->option(QStringLiteral("default"))->setChecked(true);
    ReportEeprom();
    if (chip == 4) form_->checkBox(QStringLiteral("Rev5"))->setCheckState(Qt::Checked);
    if (chip == 0) form_->checkBox(QStringLiteral("Rev4"))->setCheckState(Qt::Checked);
}

void BM::WriteLogHeader() { reports::WriteLogHeader(*log_); }

void BM::ReportEeprom() { reports::ReportEeprom(*log_, reportOptions(), libraries_); }

reports::ReportOptions BM::reportOptions() const {
    return {form_->checkBox(QStringLiteral("text_info"))->checkState() == Qt::Checked,
            form_->checkBox(QStringLiteral("binary_info"))->checkState() == Qt::Checked};
}

void BM::restorePlacement() {
    const std::optional<WindowSettings> saved = loadWindowSettings();
    if (!saved) {
        centre();
        form_->checkBox(QStringLiteral("text_info"))->setChecked(true);
        form_->checkBox(QStringLiteral("binary_info"))->setChecked(true);
        return;
    }
    move(twips_.toPixels(saved->left), twips_.toPixels(saved->top));
    setReportOption(form_->checkBox(QStringLiteral("text_info")), saved->textInfo);
    setReportOption(form_->checkBox(QStringLiteral("binary_info")), saved->binaryInfo);
    resize(width(), twips_.toPixels(saved->height));
    applyResizeRule();

    // A window wholly off every screen could never be reached: open it centred instead.
    const QRect placed(pos(), frameGeometry().size());
    bool visible = false;
    for (const QScreen *screen : QGuiApplication::screens()) visible |= screen->geometry().intersects(placed);
    if (!visible) centre();
}

void BM::centre() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void BM::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    applyResizeRule();
}

// Only the height can change; the log list takes what the editor leaves.
void BM::applyResizeRule() {
    const int width = twips_.toPixels(kWindowWidth);
    const int minimum = twips_.toPixels(kMinimumHeight);
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    if (normal && (this->width() != width || height() < minimum)) {
        resize(width, std::max(height(), minimum));
        return;  // the resize runs the rule again
    }
    log_->resize(twips_.toPixels(kLogWidth), std::max(0, height() - twips_.toPixels(kHeightAboveLog)));
}

void BM::closeEvent(QCloseEvent *event) {
    // An About box left open keeps the program running: the poll must not.
    timer_.stop();
    saveSettings();
    event->accept();
}

void BM::saveSettings() {
    const auto state = [this](const char *name) { return storedState(form_->checkBox(name)->checkState()); };
    saveWindowSettings({twips_.fromPixels(pos().y()), twips_.fromPixels(pos().x()), state("text_info"),
                        state("binary_info"), twips_.fromPixels(height())});
}

void BM::enableControls(std::span<const char *const> names, bool enabled) {
    for (const char *name : names) form_->control(QString::fromLatin1(name))->setEnabled(enabled);
}

}  // namespace kestrom::mainwindow
