// Filling the editor from the device or from the defaults, and the commands and
// chains that start it: Read, Default, Device, Auto Update, the chip-mode boxes.
#include <array>

#include "control_groups.h"
#include "defaults_table.h"
#include "field_binding.h"
#include "main_window.h"

namespace kestrom::mainwindow {

namespace {

// A text reader's buffer: room for the longest stored text (the description, 67
// bytes) and its NUL.
constexpr size_t kTextBuffer = 68;

}  // namespace

void BM::connectHandlers() {
    connect(form_->checkBox(QStringLiteral("Rev4")), &QCheckBox::stateChanged, this, &BM::RefreshBmGroup);
    connect(form_->checkBox(QStringLiteral("Rev5")), &QCheckBox::stateChanged, this, &BM::RefreshFt2232cGroup);
    connect(form_->button(QStringLiteral("read1")), &QPushButton::clicked, this, &BM::onRead);
    connect(form_->button(QStringLiteral("write1")), &QPushButton::clicked, this, &BM::onWrite);
    connect(form_->button(QStringLiteral("eeprom_erase")), &QPushButton::clicked, this, &BM::onErase);
    connect(form_->button(QStringLiteral("eeprom_refresh")), &QPushButton::clicked, this, &BM::ReportEeprom);
    connect(form_->option(QStringLiteral("default")), &QAbstractButton::toggled, this, [this](bool selected) {
        if (selected) onDefaultSelected();
    });
    connect(form_->option(QStringLiteral("device1")), &QAbstractButton::toggled, this, [this](bool selected) {
        if (selected) onDeviceSelected();
    });
    connect(form_->checkBox(QStringLiteral("auto_detekce")), &QCheckBox::stateChanged, this,
            [this](int state) { onAutoUpdate(state == Qt::Checked); });
    connect(&timer_, &QTimer::timeout, this, &BM::tick);
}

void BM::RefreshBmGroup() {
    const bool on = form_->checkBox(QStringLiteral("Rev4"))->checkState() == Qt::Checked;
    enableControls(kBmGroup, on);
}

void BM::RefreshFt2232cGroup() {
    const bool on = form_->checkBox(QStringLiteral("Rev5"))->checkState() == Qt::Checked;
    enableControls(kFt2232cGroup, on);
}

void BM::LoadFromDevice() {
    platform::RomgateBinding &romgate = libraries_.romgate;
    LastReadDeviceID = romgate.FT_GetDeviceID_();
    IdentifyDevice();
    form_->option(QStringLiteral("device1"))->setEnabled(true);
    if (romgate.FT_EE_READ_() != 0) {
        form_->option(QStringLiteral("device1"))->setEnabled(false);
        return;
    }
    // Texts first, then every other field, in the editor's order.
    for (const bool texts : {true, false}) {
        for (const EditorControl &control : editorControls()) {
            const FieldAccessors *field = accessorsFor(control.field);
            if (field->text != texts) continue;
            if (texts) {
                std::array<char, kTextBuffer> buffer{};
                const bool read = (romgate.*field->getText)(buffer.data()) == 0;
                buffer.back() = '\0';
                form_->setText(control, read ? QString::fromUtf8(buffer.data()) : QString());
            } else {
                form_->setValue(control, (romgate.*field->getNumber)());
            }
        }
    }
}

void BM::FillDefaults() {
    const int column = defaultsColumn(QueryChipType());
    for (const DefaultRow &row : defaultRows()) {
        form_->setText(*controlNamed(row.objectName), QString::fromUtf8(row.values[column]));
    }
}

void BM::onRead() {
    form_->option(QStringLiteral("default"))->setChecked(false);
    form_->option(QStringLiteral("device1"))->setChecked(true);
    enableControls(kCommonControls, true);
    LoadFromDevice();
    IdentifyDevice();
}

void BM::onDefaultSelected() {
    timer_.stop();
    form_->checkBox(QStringLiteral("auto_detekce"))->setCheckState(Qt::Unchecked);
    FillDefaults();
    IdentifyDevice();
    form_->option(QStringLiteral("default"))->setChecked(true);
    form_->option(QStringLiteral("device1"))->setChecked(false);
    IdentifyDevice();
}

void BM::onDeviceSelected() {
    LoadFromDevice();
    IdentifyDevice();
}

void BM::onAutoUpdate(bool checked) {
    if (checked) {
        timer_.start();
    } else {
        timer_.stop();
    }
    form_->button(QStringLiteral("read1"))->setEnabled(!checked);
    form_->option(QStringLiteral("default"))->setChecked(false);
    form_->option(QStringLiteral("device1"))->setChecked(true);
}

void BM::tick() {
    platform::RomgateBinding &romgate = libraries_.romgate;
    if (form_->option(QStringLiteral("device1"))->isEnabled()) LoadFromDevice();
    const int32_t id = romgate.FT_GetDeviceID_();
    const int32_t status = romgate.FT_STATUS_();
    if (status == 0 && DeviceMissing) {
        DeviceMissing = false;
        enableControls(kCommonControls, true);
        IdentifyDevice();
    }
    if (id == -2) {
        DeviceMissing = true;
        form_->checkBox(QStringLiteral("Rev4"))->setEnabled(false);
        enableControls(kBmGroup, false);
        form_->checkBox(QStringLiteral("Rev5"))->setEnabled(false);
        enableControls(kFt2232cGroup, false);
        enableControls(kCommonControls, false);
    }
    if (id != LastReadDeviceID) form_->option(QStringLiteral("device1"))->setEnabled(true);
}

}  // namespace kestrom::mainwindow
