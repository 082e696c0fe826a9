#include "chip_settings_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "checked_file.h"
#include "chip_form.h"
#include "cli_common.h"
#include "device_change.h"
#include "device_config.h"
#include "dialogs.h"
#include "factory_defaults.h"
#include "setting_changes.h"
#include "template_apply.h"
#include "template_file.h"

namespace kestrom::chipeditor {

namespace {

// The editor works on device 0, as the main window does.
constexpr int kDevice = 0;
// Where the template's header says it came from.
const QString kSource = QStringLiteral("the chip editor");

// A caption marked with QT_TRANSLATE_NOOP, in the user's language.
QString translated(const char *text) {
    return QCoreApplication::translate("ChipSettings", text);
}

dialogs::SaveDialogSetup templateDialog(const char *title) {
    return {translated(title),
            {QCoreApplication::translate("ChipSettings", "Templates (*.ini)"),
             QCoreApplication::translate("ChipSettings", "All files (*)")},
            {}};
}

// Settings to apply as a template would: those `wanted` holds otherwise than `shown`.
cli::Template changedSettings(uint32_t chipType, const d2xx::EepromContents &shown,
                              const d2xx::EepromContents &wanted) {
    cli::Template settings;
    settings.chip = chipType;
    for (const cli::FieldSpec *field : cli::chipFields(chipType)) {
        if (!field->settable() || field->chipFixed) continue;
        const cli::FieldValue value = cli::valueOf(*field, wanted);
        if (value == cli::valueOf(*field, shown)) continue;
        cli::Setting setting;
        setting.field = field;
        setting.value = value;
        setting.origin = QStringLiteral("Chip Settings");
        settings.settings.push_back(std::move(setting));
    }
    return settings;
}

// What the chip's words hold, or the chip's defaults for a blank or damaged part.
d2xx::EepromContents heldContents(uint32_t chipType, const std::vector<uint16_t> &words,
                                  bool *blank = nullptr) {
    d2xx::EepromContents contents;
    const bool decoded = d2xx::decode(chipType, words, contents) == FT_OK;
    if (blank != nullptr) *blank = !decoded;
    return decoded ? contents : d2xx::chipDefaults(chipType);
}

}  // namespace

ChipSettingsWindow::ChipSettingsWindow(platform::D2xxBinding &d2xx, reports::LogSink &log, QWidget *parent)
    : QDialog(parent), d2xx_(d2xx), log_(log), layout_(new QVBoxLayout(this)), status_(new QLabel(this)) {
    setObjectName(QStringLiteral("chipSettingsWindow"));
    setWindowTitle(QCoreApplication::translate("ChipSettings", "Chip Settings"));
    setSizeGripEnabled(true);
    status_->setObjectName(QStringLiteral("chipStatus"));
    status_->setWordWrap(true);
    layout_->addWidget(status_);
    auto *commands = new QHBoxLayout;
    layout_->addLayout(commands, 0);
    readButton_ = addCommand("read", QT_TRANSLATE_NOOP("ChipSettings", "Read"), &ChipSettingsWindow::read);
    commands->addWidget(readButton_);
    formCommands_ = {
        addCommand("defaults", QT_TRANSLATE_NOOP("ChipSettings", "Defaults"),
                   &ChipSettingsWindow::fillDefaults),
        addCommand("loadTemplate", QT_TRANSLATE_NOOP("ChipSettings", "Load Template ..."),
                   &ChipSettingsWindow::loadTemplate),
        addCommand("saveTemplate", QT_TRANSLATE_NOOP("ChipSettings", "Save Template ..."),
                   &ChipSettingsWindow::saveTemplate),
        addCommand("write", QT_TRANSLATE_NOOP("ChipSettings", "Write"), &ChipSettingsWindow::write)};
    for (QPushButton *button : formCommands_) commands->addWidget(button);
    commands->addStretch();
    closeButton_ = addCommand("close", QT_TRANSLATE_NOOP("ChipSettings", "Close"), nullptr);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    commands->addWidget(closeButton_);
    resize(1000, 700);
    read();
}

ChipSettingsWindow::~ChipSettingsWindow() = default;

QPushButton *ChipSettingsWindow::addCommand(const char *name, const char *caption,
                                            void (ChipSettingsWindow::*command)()) {
    auto *button = new QPushButton(translated(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    // Enter in a box must not run a command: the user may still be typing.
    button->setAutoDefault(false);
    if (command != nullptr) connect(button, &QPushButton::clicked, this, command);
    return button;
}

void ChipSettingsWindow::say(const QString &status) {
    status_->setText(status);
}

void ChipSettingsWindow::enableCommands() {
    for (QPushButton *button : formCommands_) button->setEnabled(form_ != nullptr);
}

void ChipSettingsWindow::useForm(uint32_t chipType) {
    if (form_ != nullptr && form_->chipType() == chipType) return;
    delete form_;
    form_ = new ChipForm(chipType, eepromWords_, this);
    layout_->insertWidget(1, form_, 1);
    orderFocus();
}

void ChipSettingsWindow::orderFocus() {
    QList<QWidget *> chain;
    for (QWidget *control : form_->widget()->findChildren<QWidget *>())
        if (control->focusPolicy() & Qt::TabFocus) chain << control;
    chain << readButton_;
    for (QPushButton *command : formCommands_) chain << command;
    chain << closeButton_;
    for (qsizetype i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
    chain.front()->setFocus();
}

void ChipSettingsWindow::read() {
    safety::ChipWords chip;
    const FT_STATUS status = safety::readChipWords(d2xx_, kDevice, chip);
    const uint32_t chipType = chip.identity.type;
    if (status != FT_OK || eeprom::chipTable(chipType) == nullptr) {
        delete form_;
        form_ = nullptr;
        enableCommands();
        say(status != FT_OK
                ? QCoreApplication::translate("ChipSettings", "Device 0 could not be read: %1")
                      .arg(cli::statusText(status))
                : QCoreApplication::translate(
                      "ChipSettings", "Kestrom does not know the settings of the %1 (device type %2).")
                      .arg(safety::chipName(chipType))
                      .arg(chipType));
        return;
    }
    eepromWords_ = chip.words.size();
    bool blank = false;
    held_ = heldContents(chipType, chip.words, &blank);
    useForm(chipType);
    enableCommands();
    form_->setEepromWords(eepromWords_);
    form_->show(held_);
    const QString part = QCoreApplication::translate("ChipSettings", "%1 words (%2)")
                             .arg(eepromWords_)
                             .arg(cli::partName(chipType, eepromWords_));
    say(blank ? QCoreApplication::translate("ChipSettings",
                                            "Device 0: %1, %2, reads %3: the chip's defaults are shown.")
                    .arg(safety::chipName(chipType), part, safety::checksumState(chipType, chip.words))
              : QCoreApplication::translate("ChipSettings", "Device 0: %1, %2, as read from the chip.")
                    .arg(safety::chipName(chipType), part));
    // A write here would end the entry of a change that never ended: say where its backup is first.
    safety::WriteJournal journal;
    if (const std::optional<safety::InterruptedChange> interrupted = safety::interruptedChange(journal, chip))
        say(status_->text() + u'\n' + cli::interruptedNote(*interrupted, chip));
}

std::optional<d2xx::EepromContents> ChipSettingsWindow::formContents(const QString &refusal) {
    QStringList problems;
    std::optional<d2xx::EepromContents> contents = form_->contents(problems);
    if (!contents)
        dialogs::programDialogs().inform(this, dialogs::MessageIcon::Warning, refusal, problems.join(u'\n'));
    return contents;
}

void ChipSettingsWindow::fillDefaults() {
    if (form_ == nullptr) return;
    QStringList ignored;  // the settings no default replaces keep what the boxes hold
    form_->show(factoryDefaults(form_->chipType(), form_->contents(ignored).value_or(held_)));
    say(QCoreApplication::translate("ChipSettings",
                                    "The %1's factory settings are shown; Write puts them on the chip.")
            .arg(safety::chipName(form_->chipType())));
}

void ChipSettingsWindow::loadTemplate() {
    if (form_ == nullptr) return;
    const std::optional<QString> path = dialogs::programDialogs().openFile(
        this, templateDialog(QT_TRANSLATE_NOOP("ChipSettings", "Load Template")));
    if (!path) return;
    const std::optional<d2xx::EepromContents> current = formContents(QCoreApplication::translate(
        "ChipSettings", "The template was not loaded: the settings shown are not all allowed."));
    if (!current) return;
    QStringList problems;
    std::optional<d2xx::EepromContents> loaded;
    if (const std::optional<cli::TemplateSource> source = cli::TemplateSource::read(*path, {}, problems)) {
        if (const std::optional<cli::Template> settings = source->forChip(form_->chipType(), problems))
            loaded = cli::applyTemplate(*settings, form_->chipType(), *current, eepromWords_, problems);
    }
    if (!loaded) {
        dialogs::programDialogs().inform(
            this, dialogs::MessageIcon::Warning,
            QCoreApplication::translate("ChipSettings", "The template was not loaded."),
            problems.join(u'\n'));
        return;
    }
    form_->show(*loaded);
    say(QCoreApplication::translate("ChipSettings", "Loaded %1: Write puts it on the chip.")
            .arg(QDir::toNativeSeparators(*path)));
}

void ChipSettingsWindow::saveTemplate() {
    if (form_ == nullptr) return;
    const std::optional<d2xx::EepromContents> contents = formContents(
        QCoreApplication::translate("ChipSettings", "The template was not saved: a value is not allowed."));
    if (!contents) return;
    const std::optional<dialogs::SaveDialogChoice> choice = dialogs::programDialogs().saveFile(
        this, templateDialog(QT_TRANSLATE_NOOP("ChipSettings", "Save Template")));
    if (!choice) return;
    QString error;
    if (!safety::writeFileChecked(choice->path, cli::templateText(form_->chipType(), *contents, kSource),
                                  error)) {
        dialogs::programDialogs().inform(
            this, dialogs::MessageIcon::Error,
            QCoreApplication::translate("ChipSettings", "The template was not saved: %1").arg(error));
        return;
    }
    say(QCoreApplication::translate("ChipSettings", "Saved %1.").arg(QDir::toNativeSeparators(choice->path)));
}

void ChipSettingsWindow::write() {
    if (form_ == nullptr) return;
    const uint32_t chipType = form_->chipType();
    const std::optional<d2xx::EepromContents> wanted = formContents(
        QCoreApplication::translate("ChipSettings", "Nothing was written: a value is not allowed."));
    if (!wanted) return;
    cli::DeviceChange change(d2xx_, kDevice);
    if (const FT_STATUS status = change.read(); status != FT_OK) {
        log_.append(QStringLiteral("Chip settings not written: device 0 could not be read: %1")
                        .arg(cli::statusText(status)));
        return;
    }
    if (change.chipType() != chipType) {
        dialogs::programDialogs().inform(
            this, dialogs::MessageIcon::Warning,
            QCoreApplication::translate(
                "ChipSettings",
                "Device 0 is now an %1, not the %2 shown: Read it first. Nothing was written.")
                .arg(safety::chipName(change.chipType()), safety::chipName(chipType)));
        return;
    }
    // Only what the user changed goes over what the chip holds now, as a template would.
    bool blank = false;
    const std::vector<uint16_t> &words = change.before().words;
    const d2xx::EepromContents base = heldContents(chipType, words, &blank);
    QStringList problems;
    const std::optional<d2xx::EepromContents> result =
        cli::applyTemplate(changedSettings(chipType, held_, *wanted), chipType, base, words.size(), problems);
    if (!result) {
        dialogs::programDialogs().inform(
            this, dialogs::MessageIcon::Warning,
            QCoreApplication::translate("ChipSettings",
                                        "Nothing was written: the chip does not take these settings."),
            problems.join(u'\n'));
        return;
    }
    // A chip that reads blank or damaged gets every setting, even one it works with already.
    const QStringList changes =
        blank ? settingValues(chipType, *result) : settingChanges(chipType, base, *result);
    if (changes.isEmpty()) {
        dialogs::programDialogs().inform(
            this, dialogs::MessageIcon::Information,
            QCoreApplication::translate("ChipSettings",
                                        "The chip already holds these settings: nothing was written."));
        return;
    }
    QString question =
        blank
            ? QCoreApplication::translate("ChipSettings",
                                          "The EEPROM of the %1 (device 0) reads %2. Write these settings to "
                                          "it?\n\n%3")
                  .arg(safety::chipName(chipType), safety::checksumState(chipType, words),
                       changes.join(u'\n'))
            : QCoreApplication::translate("ChipSettings", "Write these changes to the %1 (device 0)?\n\n%2")
                  .arg(safety::chipName(chipType), changes.join(u'\n'));
    if (const QString ids = idChange(base, *result); !ids.isEmpty()) {
        question += QStringLiteral("\n\n") +
                    QCoreApplication::translate(
                        "ChipSettings",
                        "The device will come back with the USB IDs %1. Kestrom and the serial driver find "
                        "it only if they know these IDs (FTD2XX_VIDPID, the udev rule).")
                        .arg(ids);
    }
    if (!dialogs::programDialogs().askYesNo(this, question, true)) return;
    program(change, *result, blank ? QStringLiteral("every setting") : changes.join(QStringLiteral("; ")));
}

void ChipSettingsWindow::program(cli::DeviceChange &change, const d2xx::EepromContents &result,
                                 const QString &what) {
    const uint32_t chipType = change.chipType();
    QString error;
    if (!change.begin(QStringLiteral("Chip Settings"), error, change.imageOf(result))) {
        log_.append(QStringLiteral("Chip settings not written: %1").arg(cli::notBegun(change, error)));
        return;
    }
    log_.append(QStringLiteral("EEPROM backup: %1").arg(QDir::toNativeSeparators(change.backup())));
    if (!change.stillAsRead(error)) {
        log_.append(QStringLiteral("Chip settings not written: %1: nothing was written.").arg(error));
        return;
    }
    const bool done = change.program(result, error);
    change.release();
    if (!done) {
        log_.append(QStringLiteral("Chip settings not written: %1; the old contents are in %2")
                        .arg(error, QDir::toNativeSeparators(change.backup())));
        return;
    }
    log_.append(QStringLiteral("Chip settings written to the %1 and read back: %2.")
                    .arg(safety::chipName(chipType), what));
    held_ = result;
    form_->show(held_);
    say(QCoreApplication::translate("ChipSettings", "Written and read back."));
    if (written_) written_();
}

}  // namespace kestrom::chipeditor
