// Filling the editor from the device or from the defaults, and the commands and
// chains that start it: Read, Default, Device, Auto Update, the chip-mode boxes.
#include <array>

#include "field_binding.h"
#include "main_window.h"

namespace kestrom::mainwindow {

namespace {

// A text reader's buffer: room for the longest stored text (the description, 67
// bytes) and its NUL.
constexpr size_t kTextBuffer = 68;

}  // namespace

void MainWindow::connectHandlers() {
    const EditorCommands &commands = form_->commands();
    connect(form_->chipToggle(ControlGroup::Bm), &QCheckBox::stateChanged, this, &MainWindow::RefreshBmGroup);
    connect(form_->chipToggle(ControlGroup::Ft2232c), &QCheckBox::stateChanged, this,
            &MainWindow::RefreshFt2232cGroup);
    connect(commands.read, &QPushButton::clicked, this, &MainWindow::onRead);
    connect(commands.write, &QPushButton::clicked, this, &MainWindow::onWrite);
    connect(commands.erase, &QPushButton::clicked, this, &MainWindow::onErase);
    connect(commands.refresh, &QPushButton::clicked, this, &MainWindow::ReportEeprom);
    connect(commands.defaults, &QAbstractButton::toggled, this, [this](bool selected) {
        if (selected) onDefaultSelected();
    });
    connect(commands.device, &QAbstractButton::toggled, this, [this](bool selected) {
        if (selected) onDeviceSelected();
    });
    connect(commands.autoUpdate, &QCheckBox::stateChanged, this,
            [this](int state) { onAutoUpdate(state == Qt::Checked); });
    connect(&timer_, &QTimer::timeout, this, &MainWindow::tick);
    for (Field field : {Field::Manufacturer, Field::Description, Field::SerialNumber}) {
        connect(static_cast<QLineEdit *>(form_->widget(field)), &QLineEdit::textChanged, this,
                &MainWindow::showTextRoom);
    }
}

void MainWindow::RefreshBmGroup() { refreshGroup(ControlGroup::Bm); }

void MainWindow::RefreshFt2232cGroup() { refreshGroup(ControlGroup::Ft2232c); }

void MainWindow::refreshGroup(ControlGroup group) {
    enableGroup(group, form_->chipToggle(group)->checkState() == Qt::Checked);
}

void MainWindow::enableGroup(ControlGroup group, bool enabled) {
    for (Field field : groupMembers(group)) form_->widget(field)->setEnabled(enabled);
}

void MainWindow::enableCommonControls(bool enabled) {
    const EditorCommands &commands = form_->commands();
    for (QWidget *command : std::initializer_list<QWidget *>{commands.write, commands.erase, commands.refresh,
                                                             commands.defaults}) {
        command->setEnabled(enabled);
    }
    for (const EditorControl *control : writeOrder(ControlGroup::Common)) {
        form_->widget(control->field)->setEnabled(enabled);
    }
}

void MainWindow::setReadWanted(bool wanted) {
    readWanted_ = wanted;
    form_->commands().device->setEnabled(wanted);
}

void MainWindow::LoadFromDevice() {
    platform::RomgateBinding &romgate = libraries_.romgate;
    lastReadDeviceId_ = romgate.FT_GetDeviceID_();
    IdentifyDevice();
    setReadWanted(true);
    if (romgate.FT_EE_READ_() != ROMGATE_OK) {
        setReadWanted(false);
        return;
    }
    // Texts first, then every other field, in the editor's order.
    for (const bool texts : {true, false}) {
        for (const EditorControl &control : editorControls()) {
            const FieldAccessors &field = accessorsFor(control.field);
            if (field.text != texts) continue;
            if (texts) {
                std::array<char, kTextBuffer> buffer{};
                const bool read = (romgate.*field.getText)(buffer.data()) == ROMGATE_OK;
                buffer.back() = '\0';
                form_->setText(control.field, read ? QString::fromUtf8(buffer.data()) : QString());
            } else {
                form_->setRecordValue(control.field, (romgate.*field.getNumber)());
            }
        }
    }
}

void MainWindow::FillDefaults() {
    const size_t column = defaultsColumn(QueryChipType());
    for (const EditorControl *control : defaultsOrder()) {
        form_->setText(control->field, QString::fromUtf8(control->defaults[column]));
    }
}

void MainWindow::onRead() {
    offerRecovery();
    learnPart();
    form_->commands().defaults->setChecked(false);
    form_->commands().device->setChecked(true);
    enableCommonControls(true);
    LoadFromDevice();
    IdentifyDevice();
}

void MainWindow::onDefaultSelected() {
    timer_.stop();
    form_->commands().autoUpdate->setCheckState(Qt::Unchecked);
    FillDefaults();
    IdentifyDevice();
    form_->commands().defaults->setChecked(true);
    form_->commands().device->setChecked(false);
    IdentifyDevice();
}

void MainWindow::onDeviceSelected() {
    LoadFromDevice();
    IdentifyDevice();
}

void MainWindow::onAutoUpdate(bool checked) {
    if (checked) {
        timer_.start();
    } else {
        timer_.stop();
    }
    form_->commands().read->setEnabled(!checked);
    form_->commands().defaults->setChecked(false);
    form_->commands().device->setChecked(true);
}

void MainWindow::tick() {
    platform::RomgateBinding &romgate = libraries_.romgate;
    if (readWanted_) LoadFromDevice();
    const int32_t id = romgate.FT_GetDeviceID_();
    const int32_t status = romgate.FT_STATUS_();
    if (status == FT_OK && deviceMissing_) {
        deviceMissing_ = false;
        enableCommonControls(true);
        IdentifyDevice();
    }
    if (id == ROMGATE_OPEN_FAILED) {
        deviceMissing_ = true;
        for (ControlGroup group : {ControlGroup::Bm, ControlGroup::Ft2232c}) {
            form_->chipToggle(group)->setEnabled(false);
            enableGroup(group, false);
        }
        enableCommonControls(false);
    }
    if (id != lastReadDeviceId_) setReadWanted(true);
}

}  // namespace kestrom::mainwindow
