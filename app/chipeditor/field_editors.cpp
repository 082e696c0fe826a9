#include "field_editors.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace kestrom::chipeditor {

namespace {

using eeprom::SettingKind;
using eeprom::Value;

QString nameOf(const Setting &setting) {
    return QString::fromLatin1(setting.name);
}

// The names tests, screen readers and templates know the control by.
void label(QWidget *control, const Setting &setting) {
    control->setObjectName(nameOf(setting));
    control->setAccessibleName(nameOf(setting));
    control->setAccessibleDescription(QString::fromLatin1(setting.meaning));
    control->setToolTip(QStringLiteral("%1: %2").arg(nameOf(setting), QString::fromLatin1(setting.meaning)));
}

// Whether the editor hands the setting's value on.
bool userSets(const Setting &setting) {
    return setting.settable() && !setting.chipFixed;
}

bool allowed(const Setting &setting, const Value &value, QString &problem) {
    const std::string why = eeprom::settingValueProblem(setting, value);
    if (why.empty()) return true;
    problem = QStringLiteral("%1: %2").arg(nameOf(setting), QString::fromStdString(why));
    return false;
}

// Sets `value` when the setting takes it.
bool store(const Setting &setting, EepromContents &contents, const Value &value, QString &problem) {
    if (!userSets(setting)) return true;
    if (!allowed(setting, value, problem)) return false;
    eeprom::setSettingValue(setting, contents, value);
    return true;
}

// A drop-down in a scroll area takes the wheel only once it has the focus: scrolling
// the window over it must not change a pin's function.
class WheelOnlyWhenFocused : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::Wheel || static_cast<QWidget *>(watched)->hasFocus()) return false;
        event->ignore();  // the scroll area under it scrolls instead
        return true;
    }
};

class FlagEditor : public FieldEditor {
public:
    FlagEditor(const Setting &setting, const QString &caption, const std::function<void()> &edited)
        : setting_(setting), box_(new QCheckBox(caption)) {
        label(box_, setting);
        box_->setEnabled(userSets(setting));
        QObject::connect(box_, &QCheckBox::toggled, box_, [edited] { edited(); });
    }
    QWidget *widget() const override { return box_; }
    void show(const EepromContents &contents) override {
        box_->setChecked(eeprom::settingValue(setting_, contents).number != 0);
    }
    bool take(EepromContents &contents, QString &problem) const override {
        return store(setting_, contents, {uint32_t(box_->isChecked()), {}}, problem);
    }

private:
    const Setting &setting_;
    QCheckBox *box_;
};

// A drop-down of the values a setting takes: a pin's functions, the drive
// currents, the drivers. A value the setting does not take (only a damaged EEPROM
// holds one) is shown as such until something else is chosen.
class ListEditor : public FieldEditor {
public:
    ListEditor(const Setting &setting, const QString &caption,
               const std::vector<std::pair<QString, uint32_t>> &items, const std::function<void()> &edited)
        : setting_(setting), caption_(caption), box_(new QComboBox), choices_(int(items.size())) {
        label(box_, setting);
        box_->setFocusPolicy(Qt::StrongFocus);
        box_->installEventFilter(new WheelOnlyWhenFocused(box_));
        for (const auto &[text, value] : items) box_->addItem(text, value);
        QObject::connect(box_, &QComboBox::currentIndexChanged, box_, [edited] { edited(); });
    }
    QWidget *widget() const override { return box_; }
    QString caption() const override { return caption_; }
    void show(const EepromContents &contents) override {
        while (box_->count() > choices_) box_->removeItem(choices_);
        const uint32_t value = eeprom::settingValue(setting_, contents).number;
        int index = box_->findData(value);
        if (index < 0) {
            box_->addItem(
                QCoreApplication::translate("ChipSettings", "%1 (not a value of this setting)").arg(value),
                value);
            index = choices_;
        }
        box_->setCurrentIndex(index);
    }
    bool take(EepromContents &contents, QString &problem) const override {
        return store(setting_, contents, {box_->currentData().toUInt(), {}}, problem);
    }

private:
    const Setting &setting_;
    QString caption_;
    QComboBox *box_;
    int choices_;
};

std::vector<std::pair<QString, uint32_t>> choices(const Setting &setting) {
    std::vector<std::pair<QString, uint32_t>> items;
    for (const eeprom::NamedValue &named : setting.names) {
        if (eeprom::settingValueProblem(setting, {named.value, {}}).empty())
            items.emplace_back(QString::fromLatin1(named.name), named.value);
    }
    return items;
}

std::vector<std::pair<QString, uint32_t>> driveCurrents(const Setting &setting) {
    std::vector<std::pair<QString, uint32_t>> items;
    for (uint32_t mA = setting.least; mA <= setting.greatest; mA += 4)
        items.emplace_back(QCoreApplication::translate("ChipSettings", "%1 mA").arg(mA), mA);
    return items;
}

// A number in hexadecimal (upper case, four or eight digits) or decimal; the box
// takes only the digits of its base.
class NumberEditor : public FieldEditor {
public:
    NumberEditor(const Setting &setting, const QString &caption, const std::function<void()> &edited)
        : setting_(setting),
          caption_(caption),
          box_(new QLineEdit),
          base_(setting.kind == SettingKind::Hex ? 16 : 10),
          digits_(base_ == 16 ? (setting.greatest > 0xFFFF ? 8 : 4) : 10) {
        label(box_, setting);
        const QString digit = base_ == 16 ? QStringLiteral("[0-9A-Fa-f]") : QStringLiteral("[0-9]");
        box_->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("%1{0,%2}").arg(digit).arg(digits_)), box_));
        box_->setReadOnly(!userSets(setting));
        QObject::connect(box_, &QLineEdit::textEdited, box_, [edited] { edited(); });
    }
    QWidget *widget() const override { return box_; }
    QString caption() const override { return caption_; }
    void show(const EepromContents &contents) override {
        const uint32_t value = eeprom::settingValue(setting_, contents).number;
        box_->setText(base_ == 16 ? QStringLiteral("%1").arg(value, digits_, 16, QChar(u'0')).toUpper()
                                  : QString::number(value));
    }
    bool take(EepromContents &contents, QString &problem) const override {
        bool ok = false;
        const uint32_t value = box_->text().toUInt(&ok, base_);
        if (!ok && userSets(setting_)) {
            problem =
                QStringLiteral("%1: %2 (%3)")
                    .arg(nameOf(setting_), QCoreApplication::translate("ChipSettings", "a number is needed"),
                         QString::fromStdString(eeprom::allowedSettingValues(setting_)));
            return false;
        }
        return store(setting_, contents, {value, {}}, problem);
    }

private:
    const Setting &setting_;
    QString caption_;
    QLineEdit *box_;
    int base_;
    int digits_;
};

// A text box no longer than the setting's bytes allow, the room left beside it.
class TextEditor : public FieldEditor {
public:
    TextEditor(const Setting &setting, const QString &caption, const std::function<void()> &edited)
        : setting_(setting),
          caption_(caption),
          row_(new QWidget),
          box_(new QLineEdit(row_)),
          room_(new QLabel(row_)) {
        label(box_, setting);
        room_->setObjectName(nameOf(setting) + QStringLiteral("Room"));
        auto *layout = new QHBoxLayout(row_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(box_, 1);
        layout->addWidget(room_);
        box_->setReadOnly(!userSets(setting));
        room_->setVisible(userSets(setting));
        box_->setMinimumWidth(box_->fontMetrics().averageCharWidth() * 20);
        // Characters are never fewer than bytes: the box stops at the bytes' number.
        box_->setMaxLength(int(setting.greatest));
        QObject::connect(box_, &QLineEdit::textChanged, row_, [this, edited] {
            showRoom();
            edited();
        });
        showRoom();
    }
    QWidget *widget() const override { return row_; }
    QString caption() const override { return caption_; }
    void show(const EepromContents &contents) override {
        box_->setText(QString::fromStdString(eeprom::settingValue(setting_, contents).text));
    }
    bool take(EepromContents &contents, QString &problem) const override {
        return store(setting_, contents, {0, box_->text().toStdString()}, problem);
    }

private:
    void showRoom() { room_->setText(roomText(box_->text().toUtf8().size(), qsizetype(setting_.greatest))); }

    const Setting &setting_;
    QString caption_;
    QWidget *row_;
    QLineEdit *box_;
    QLabel *room_;
};

// "channel A: 245 FIFO (one mode at most)" as its button says it: "245 FIFO".
QString modeCaption(const Setting &mode) {
    QString caption = QString::fromLatin1(mode.meaning);
    caption.remove(QRegularExpression(QStringLiteral("^[^:]*: ")));
    caption.remove(QRegularExpression(QStringLiteral("\\s*\\(one mode at most\\)")));
    return caption;
}

class ModeEditor : public FieldEditor {
public:
    ModeEditor(const std::vector<const Setting *> &modes, const QString &noneName,
               const std::function<void()> &edited)
        : modes_(modes), row_(new QWidget), buttons_(new QButtonGroup(row_)) {
        auto *layout = new QVBoxLayout(row_);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *none = new QRadioButton(QCoreApplication::translate("ChipSettings", "UART"), row_);
        none->setObjectName(noneName);
        none->setAccessibleName(noneName);
        none->setAccessibleDescription(
            QCoreApplication::translate("ChipSettings", "none of the modes: a serial UART"));
        buttons_->addButton(none, 0);
        layout->addWidget(none);
        for (size_t i = 0; i < modes.size(); ++i) {
            auto *button = new QRadioButton(modeCaption(*modes[i]), row_);
            label(button, *modes[i]);
            buttons_->addButton(button, int(i) + 1);
            layout->addWidget(button);
        }
        QObject::connect(buttons_, &QButtonGroup::idToggled, row_, [edited](int, bool on) {
            if (on) edited();
        });
    }
    QWidget *widget() const override { return row_; }
    QString caption() const override { return QCoreApplication::translate("ChipSettings", "Mode"); }
    void show(const EepromContents &contents) override {
        int chosen = 0;
        for (size_t i = 0; i < modes_.size() && chosen == 0; ++i)
            if (eeprom::settingValue(*modes_[i], contents).number != 0) chosen = int(i) + 1;
        buttons_->button(chosen)->setChecked(true);
    }
    bool take(EepromContents &contents, QString &problem) const override {
        for (size_t i = 0; i < modes_.size(); ++i) {
            if (!store(*modes_[i], contents, {uint32_t(buttons_->checkedId() == int(i) + 1), {}}, problem))
                return false;
        }
        return true;
    }

private:
    std::vector<const Setting *> modes_;
    QWidget *row_;
    QButtonGroup *buttons_;
};

}  // namespace

QString settingCaption(const Setting &setting, const QString &group) {
    QString caption = QString::fromLatin1(setting.meaning);
    // "channel A: driver" in the group "Channel A" says "Driver".
    const QString channel = group.section(u' ', 1);
    if (group.startsWith(QStringLiteral("Channel ")))
        caption.remove(QRegularExpression(QStringLiteral("^(channel|port) %1(: )?").arg(channel)));
    caption = caption.trimmed();
    if (!caption.isEmpty()) caption[0] = caption[0].toUpper();
    return caption;
}

QString roomText(qsizetype used, qsizetype room) {
    if (used <= room)
        return QCoreApplication::translate("ChipSettings", "%1 of %2 bytes left").arg(room - used).arg(room);
    return QCoreApplication::translate("ChipSettings", "%1 bytes too long").arg(used - room);
}

std::unique_ptr<FieldEditor> settingEditor(const Setting &setting, const QString &caption,
                                           const std::function<void()> &edited) {
    switch (setting.kind) {
        case SettingKind::Flag:
            return std::make_unique<FlagEditor>(setting, caption, edited);
        case SettingKind::Choice:
            return std::make_unique<ListEditor>(setting, caption, choices(setting), edited);
        case SettingKind::Text:
            return std::make_unique<TextEditor>(setting, caption, edited);
        case SettingKind::Decimal:
            if (setting.rule == eeprom::NumberRule::DriveCurrent)
                return std::make_unique<ListEditor>(setting, caption, driveCurrents(setting), edited);
            [[fallthrough]];
        case SettingKind::Hex:
            break;
    }
    return std::make_unique<NumberEditor>(setting, caption, edited);
}

std::unique_ptr<FieldEditor> modeEditor(const std::vector<const Setting *> &modes, const QString &noneName,
                                        const std::function<void()> &edited) {
    return std::make_unique<ModeEditor>(modes, noneName, edited);
}

}  // namespace kestrom::chipeditor
