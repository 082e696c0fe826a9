// Naming the connected chip, and the chip-type query of the defaults.
#include <QCoreApplication>
#include <vector>

#include "main_window.h"

namespace kestrom::mainwindow {

namespace {

struct ChipRow {
    const char *caption;
    bool bm;       // Rev4 enabled and ticked
    bool ft2232c;  // Rev5 enabled and ticked
};

// Indexed by chip type code, FT_DEVICE_BM to FT_DEVICE_X_SERIES.
const ChipRow kChipRows[] = {
    {QT_TRANSLATE_NOOP("MainWindow", "Device FTU232BM ..."), true, false},
    {QT_TRANSLATE_NOOP("MainWindow", "Device FT8U232AM ..."), false, false},
    {QT_TRANSLATE_NOOP("MainWindow", "Device FT8U100AX ..."), false, false},
    {QT_TRANSLATE_NOOP("MainWindow", "FTDI Device UNKNOWN ..."), false, false},
    {QT_TRANSLATE_NOOP("MainWindow", "Device FT2232C ..."), false, true},
    {QT_TRANSLATE_NOOP("MainWindow", "Device FT_DEVICE_232R ..."), false, false},
    {QT_TRANSLATE_NOOP("MainWindow", "Device FT2232H ..."), false, false},
    {QT_TRANSLATE_NOOP("MainWindow", "Device FT4232H ..."), false, false},
    {QT_TRANSLATE_NOOP("MainWindow", "Device FT232H ..."), false, false},
    {QT_TRANSLATE_NOOP("MainWindow", "Device FT-X ..."), false, false},
};
static_assert(std::size(kChipRows) == FT_DEVICE_X_SERIES + 1);

// A scratch text of `length` characters: code-20 filler and a closing zero.
std::vector<char> scratchText(size_t length) {
    std::vector<char> text(length, 20);
    text.back() = '\0';
    return text;
}

}  // namespace

int32_t MainWindow::IdentifyDevice() {
    std::vector<char> serial = scratchText(67), description = scratchText(67);
    const int32_t info = libraries_.romgate.FT_GetDeviceInfo_(serial.data(), description.data());
    const int32_t chip = libraries_.romgate.FT_GetFTDevice_();
    if (info != ROMGATE_OK) {
        setWindowTitle(QCoreApplication::translate("MainWindow", "FTDI Device Not Find ..."));
        return kNoDeviceAnswers;
    }
    if (chip < 0 || chip >= int32_t(std::size(kChipRows))) {
        log_->append(QStringLiteral("Device Unknown ..."));
        return chip;
    }
    const ChipRow &row = kChipRows[chip];
    setWindowTitle(QCoreApplication::translate("MainWindow", row.caption));
    QCheckBox *rev4 = form_->chipToggle(ControlGroup::Bm);
    QCheckBox *rev5 = form_->chipToggle(ControlGroup::Ft2232c);
    rev4->setEnabled(row.bm);
    rev5->setEnabled(row.ft2232c);
    rev4->setCheckState(row.bm ? Qt::Checked : Qt::Unchecked);
    rev5->setCheckState(row.ft2232c ? Qt::Checked : Qt::Unchecked);
    RefreshBmGroup();
    RefreshFt2232cGroup();
    return chip;
}

int32_t MainWindow::QueryChipType() {
    std::vector<char> serial = scratchText(256), description = scratchText(256);
    libraries_.romgate.FT_GetDeviceInfo_(serial.data(), description.data());
    const int32_t chip = libraries_.romgate.FT_GetFTDevice_();
    libraries_.romgate.FT_GetDeviceID_();
    return chip;
}

}  // namespace kestrom::mainwindow
