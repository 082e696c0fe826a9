#include "chip_form.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "device_config.h"
#include "setting_groups.h"

namespace kestrom::chipeditor {

namespace {

// The modes of one channel the setting heads, when it is the first of them.
const std::vector<const Setting *> *modesHeadedBy(uint32_t chipType, const Setting &setting) {
    const eeprom::ChipTable *chip = eeprom::chipTable(chipType);
    for (const auto &modes : chip->oneOf)
        if (modes.front() == &setting) return &modes;
    return nullptr;
}

bool laterMode(uint32_t chipType, const Setting &setting) {
    for (const auto &modes : eeprom::chipTable(chipType)->oneOf)
        if (std::find(modes.begin() + 1, modes.end(), &setting) != modes.end()) return true;
    return false;
}

// "Channel A" -> "ChannelA"
QString compact(QString caption) {
    return caption.remove(u' ');
}

}  // namespace

ChipForm::ChipForm(uint32_t chipType, size_t eepromWords, QWidget *parent)
    : QScrollArea(parent), chipType_(chipType), eepromWords_(eepromWords) {
    setObjectName(QStringLiteral("chipForm"));
    setWidgetResizable(true);
    auto *inside = new QWidget;
    auto *columns = new QHBoxLayout(inside);
    QVBoxLayout *column[2] = {new QVBoxLayout, new QVBoxLayout};
    // Two columns read down the left one first, the groups in their order: the left
    // one takes each group whose middle lies in the first half of the rows.
    const std::vector<SettingGroup> groups = settingGroups(chipType);
    const auto rows = [](const SettingGroup &group) { return int(group.settings.size()) + 2; };
    int total = 0, placed = 0;
    for (const SettingGroup &group : groups) total += rows(group);
    bool right = false;
    for (const SettingGroup &group : groups) {
        right = right || 2 * placed + rows(group) > total;
        column[right ? 1 : 0]->addWidget(groupBox(group.caption, group.settings));
        placed += rows(group);
    }
    for (QVBoxLayout *groups : column) {
        groups->addStretch();  // the groups stack from the top
        columns->addLayout(groups, 1);
    }
    setWidget(inside);
    show(d2xx::chipDefaults(chipType));
}

ChipForm::~ChipForm() = default;

QWidget *ChipForm::groupBox(const QString &caption, const std::vector<const Setting *> &settings) {
    auto *box = new QGroupBox(caption);
    box->setObjectName(compact(caption) + QStringLiteral("Group"));
    auto *form = new QFormLayout(box);
    // A long caption goes above its control rather than squeeze it.
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    const auto edited = [this] {
        showStringRoom();
        showDerived();
    };
    for (const Setting *setting : settings) {
        if (laterMode(chipType_, *setting)) continue;
        const auto *modes = modesHeadedBy(chipType_, *setting);
        const QString channel = caption.startsWith(QStringLiteral("Channel")) ? caption.right(1) : QString();
        std::unique_ptr<FieldEditor> editor =
            modes ? modeEditor(*modes, QStringLiteral("Uart") + channel, edited)
                  : settingEditor(*setting, settingCaption(*setting, caption), edited);
        if (editor->caption().isEmpty()) {
            form->addRow(editor->widget());
        } else {
            form->addRow(editor->caption(), editor->widget());
        }
        if (!setting->settable()) derived_.push_back(editor.get());
        editors_.push_back(std::move(editor));
    }
    if (caption == QStringLiteral("Texts")) {
        stringRoom_ = new QLabel(box);
        stringRoom_->setObjectName(QStringLiteral("stringRoom"));
        form->addRow(stringRoom_);
    }
    return box;
}

void ChipForm::setEepromWords(size_t words) {
    eepromWords_ = words;
    showStringRoom();
}

void ChipForm::show(const EepromContents &contents) {
    shown_ = contents;
    showing_ = true;
    for (const auto &editor : editors_) editor->show(contents);
    showing_ = false;
    showStringRoom();
}

EepromContents ChipForm::collect(QStringList &problems) const {
    EepromContents contents = shown_;
    for (const auto &editor : editors_) {
        if (QString problem; !editor->take(contents, problem)) problems << problem;
    }
    return contents;
}

std::optional<EepromContents> ChipForm::contents(QStringList &problems) const {
    const qsizetype before = problems.size();
    EepromContents contents = collect(problems);
    if (problems.size() > before) return std::nullopt;
    return contents;
}

void ChipForm::showDerived() {
    if (showing_ || derived_.empty()) return;
    QStringList ignored;
    const EepromContents now = collect(ignored);
    for (FieldEditor *editor : derived_) editor->show(now);
}

// The three string descriptors share the part's room.
void ChipForm::showStringRoom() {
    if (stringRoom_ == nullptr || showing_) return;
    const std::optional<size_t> room = d2xx::stringRoom(chipType_, eepromWords_);
    QStringList ignored;  // the texts are taken whatever the other boxes hold
    const EepromContents now = collect(ignored);
    stringRoom_->setText(
        room ? QCoreApplication::translate("ChipSettings", "The three texts in this EEPROM: %1")
                   .arg(roomText(qsizetype(cli::stringBytes(now)), qsizetype(*room)))
             : QString());
}

}  // namespace kestrom::chipeditor
