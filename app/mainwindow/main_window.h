// The main window `BM`: the field editor above the log, the menus, the device
// identification, loading the editor, and the settings kept between runs.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <span>

#include "editor_form.h"
#include "eeprom_report.h"
#include "libraries.h"
#include "logger_list.h"
#include "twips.h"

namespace kestrom::mainwindow {

using output::LoggerList;

// Window geometry in twips.
inline constexpr int kWindowWidth = 10215;
inline constexpr int kMinimumHeight = 7020;
inline constexpr int kLogLeft = 120;
inline constexpr int kLogTop = 3720;
inline constexpr int kLogWidth = 9855;
inline constexpr int kHeightAboveLog = 4230;  // the window height the log list does not take

class BM : public QMainWindow {
public:
    // Builds the window and runs its load: log header, saved placement and report
    // options, identification, defaults and the report.
    explicit BM(platform::Libraries &libraries, QWidget *parent = nullptr);

    EditorForm &form() { return *form_; }
    LoggerList &log() { return *log_; }
    QTimer &timer() { return timer_; }

    // Names the chip in the caption and sets the chip-mode boxes; -1 when no device answers.
    int32_t IdentifyDevice();
    // The chip type code, or the library's negative failure code; changes nothing.
    int32_t QueryChipType();
    void LoadFromDevice();
    void FillDefaults();
    void RefreshBmGroup();
    void RefreshFt2232cGroup();
    void ReportEeprom();
    void WriteLogHeader();
    // One tick of the auto update.
    void tick();

    bool DeviceMissing = false;
    int32_t LastReadDeviceID = 0;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void connectHandlers();
    void load();
    void restorePlacement();
    void centre();
    void applyResizeRule();
    void saveSettings();
    void enableControls(std::span<const char *const> names, bool enabled);
    reports::ReportOptions reportOptions() const;

    void onRead();
    void onDefaultSelected();
    void onDeviceSelected();
    void onAutoUpdate(bool checked);
    void onWrite();
    void onErase();

    platform::Libraries &libraries_;
    Twips twips_;
    EditorForm *form_;
    LoggerList *log_;
    QTimer timer_;
};

}  // namespace kestrom::mainwindow
