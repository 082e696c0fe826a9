// The main window (objectName "BM"): the field editor above the log, the menus,
// the device identification, loading the editor, and the settings kept between runs.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "editor_form.h"
#include "eeprom_report.h"
#include "libraries.h"
#include "logger_list.h"
#include "output_commands.h"
#include "safe_change.h"
#include "tick_pause.h"
#include "twips.h"

namespace kestrom::chipeditor {
class ChipSettingsWindow;
}

namespace kestrom::mainwindow {

using output::LoggerList;

// Window geometry in twips.
inline constexpr int kWindowWidth = 10215;
inline constexpr int kMinimumHeight = 7020;
inline constexpr int kLogLeft = 120;
inline constexpr int kLogTop = 3720;
inline constexpr int kLogWidth = 9855;
inline constexpr int kHeightAboveLog = 4230;  // the window height the log list does not take

// What IdentifyDevice answers when no device does.
inline constexpr int32_t kNoDeviceAnswers = -1;

class MainWindow : public QMainWindow {
public:
    // Builds the window and runs its load: log header, saved placement and report
    // options, identification, defaults and the report.
    explicit MainWindow(platform::Libraries &libraries, QWidget *parent = nullptr);

    LoggerList &log() { return *log_; }
    QTimer &timer() { return timer_; }
    bool deviceMissing() const { return deviceMissing_; }
    int32_t lastReadDeviceId() const { return lastReadDeviceId_; }

    // Names the chip in the caption and sets the chip-mode boxes; kNoDeviceAnswers when none answers.
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
    // Tools > Chip Settings: the chip editor on device 0; the auto update waits while it is open.
    void openChipSettings();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    output::OutputActions buildMenus();
    void connectHandlers();
    void load();
    void restorePlacement();
    void centre();
    void applyResizeRule();
    void saveSettings();
    reports::ReportOptions reportOptions() const;

    // A chip group's controls enabled exactly when its toggle is ticked.
    void refreshGroup(ControlGroup group);
    void enableGroup(ControlGroup group, bool enabled);
    // Write, Erase, Refresh, Default and the common group.
    void enableCommonControls(bool enabled);
    // The "Device" option stays enabled while a read is wanted.
    void setReadWanted(bool wanted);

    void onRead();
    void onDefaultSelected();
    void onDeviceSelected();
    void onAutoUpdate(bool checked);
    void onWrite();
    void onErase();
    void onSaveImage();
    void onProgramImage();
    // Chip Settings is offered while a device answers.
    void offerChipSettings(bool deviceAnswers);

    // Runs `change` on device 0 between a backup of what it holds and the end of
    // its journal entry, once the chip is found still as it was read; `allowed` may
    // refuse, after the read, before anything is saved or changed; `after` is what
    // the change leaves on the chip, when known. The change answers whether it
    // succeeded.
    void changeSafely(const QString &operation, const std::function<bool()> &change,
                      const std::function<bool(const safety::ChipWords &)> &allowed = {},
                      const std::optional<std::vector<uint16_t>> &after = std::nullopt);
    // Saves the backup of what `safe` read and opens its journal entry, saying so in
    // the log; false, with the reason logged, when either cannot be done.
    bool backUp(safety::SafeChange &safe, const QString &operation,
                const std::optional<std::vector<uint16_t>> &after = std::nullopt);
    void logNoBackup(FT_STATUS read);
    // After a change that never ended, offers to put device 0's old contents back.
    void offerRecovery();
    // Write refuses new USB IDs unless the user agrees.
    bool newIdsAgreed();
    bool textsFit(const safety::ChipWords &chip);
    // How much room the three texts leave, shown on their boxes.
    void showTextRoom();
    // Device 0's chip and EEPROM size, for that room.
    void learnPart();

    platform::Libraries &libraries_;
    Twips twips_;
    EditorForm *form_;
    LoggerList *log_;
    QTimer timer_;
    bool deviceMissing_ = false;
    int32_t lastReadDeviceId_ = 0;
    bool readWanted_ = true;
    safety::BackupStore backups_;
    safety::WriteJournal journal_;
    size_t eepromWords_ = 64;  // device 0's part as last read; the smallest until then
    uint32_t chipType_ = FT_DEVICE_BM;
    bool recoveryDeclined_ = false;  // asked once a run
    QAction *chipSettingsAction_ = nullptr;
    QPointer<chipeditor::ChipSettingsWindow> chipSettings_;
    std::unique_ptr<TickPause> chipSettingsPause_;
};

}  // namespace kestrom::mainwindow
