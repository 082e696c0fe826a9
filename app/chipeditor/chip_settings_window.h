// The window "Chip Settings": every setting of device 0's chip, read from the chip
// when it opens, and its commands: Read, Defaults, Load Template ..., Save
// Template ..., Write and Close. Write lists each change before it writes and
// makes it as the command line does: a backup, the journal, FT_EEPROM_Program (or
// FT_EE_Program) and every field read back; its outcome goes to the main window's log.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "d2xx_binding.h"
#include "eeprom_codec.h"
#include "log_sink.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace kestrom::cli {
class DeviceChange;
}

namespace kestrom::chipeditor {

class ChipForm;

class ChipSettingsWindow : public QDialog {
public:
    ChipSettingsWindow(platform::D2xxBinding &d2xx, reports::LogSink &log, QWidget *parent = nullptr);
    ~ChipSettingsWindow() override;

    // Runs after settings were written and read back.
    void onWritten(std::function<void()> handler) { written_ = std::move(handler); }

    void read();
    void fillDefaults();
    void loadTemplate();
    void saveTemplate();
    void write();

private:
    QPushButton *addCommand(const char *name, const char *caption, void (ChipSettingsWindow::*command)());
    // The form for a chip of `chipType`, made anew when the chip kind changed.
    void useForm(uint32_t chipType);
    void say(const QString &status);
    // The form's contents; nothing, after saying which values are refused.
    std::optional<d2xx::EepromContents> formContents(const QString &refusal);
    void enableCommands();
    // Backs the chip up, programs `result` and reads it back; the outcome, naming
    // `what` changed, goes to the log.
    void program(cli::DeviceChange &change, const d2xx::EepromContents &result, const QString &what);
    // Tab goes through the form in reading order, then the commands.
    void orderFocus();

    platform::D2xxBinding &d2xx_;
    reports::LogSink &log_;
    std::function<void()> written_;
    QVBoxLayout *layout_;
    QLabel *status_;
    ChipForm *form_ = nullptr;
    size_t eepromWords_ = 64;
    // What the chip held when it was last read, its defaults when it read blank.
    d2xx::EepromContents held_;
    QPushButton *readButton_ = nullptr;
    QList<QPushButton *> formCommands_;
    QPushButton *closeButton_ = nullptr;
};

}  // namespace kestrom::chipeditor
