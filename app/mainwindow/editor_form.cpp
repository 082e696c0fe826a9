#include "editor_form.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QValidator>

#include "key_filter.h"
#include "number_text.h"

namespace kestrom::mainwindow {

namespace {

constexpr int kGap = 2;

// The most characters typing or pasting can put into a box. Unlike QLineEdit's
// own limit it leaves longer text that the program sets alone ("100" mA in a
// two-character box), so nothing read from the device is cut. A paste that does
// not fit keeps what fits, as typing it would.
class TypingLimit : public QValidator {
public:
    TypingLimit(QLineEdit *box, int limit) : QValidator(box), box_(box), limit_(limit), shown_(box->text()) {
        connect(box, &QLineEdit::textChanged, this, [this](const QString &text) { shown_ = text; });
    }
    State validate(QString &input, int &cursor) const override {
        const qsizetype excess = input.size() - std::max<qsizetype>(limit_, shown_.size());
        // setText starts a new undo history: text set by the program is taken whole.
        if (excess <= 0 || !box_->isUndoAvailable()) return Acceptable;
        // The excess is the end of what was just typed or pasted, before the cursor.
        qsizetype from = cursor - excess;
        if (from < 0) return Invalid;
        if (from > 0 && input[from - 1].isHighSurrogate()) --from;  // never half a character
        input.remove(from, cursor - from);
        cursor = int(from);
        return input == shown_ ? Invalid : Acceptable;
    }

private:
    const QLineEdit *box_;
    int limit_;
    QString shown_;  // the text the box holds now
};

// Names a control for tests and assistive technology.
template <typename Widget>
Widget *named(Widget *widget, const char *name, const QString &accessibleName) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(accessibleName);
    return widget;
}

template <typename Layout>
Layout *tight(Layout *layout) {
    layout->setContentsMargins(kGap, kGap, kGap, kGap);
    layout->setSpacing(kGap);
    return layout;
}

}  // namespace

EditorForm::EditorForm(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("editor"));
    // A compact face so the whole editor fits above the log at the fixed width.
    QFont compact = font();
    compact.setPointSizeF(8);
    setFont(compact);
    for (const EditorControl &control : editorControls()) controls_[size_t(control.field)] = createEditorControl(control);

    auto *setA = new OptionSet(this);
    auto *setB = new OptionSet(this);
    for (OptionButton *option : {control<Field::IFAIsFifo>(), control<Field::IFAIsFifoTar>(), control<Field::IFAIsFastSer>()})
        setA->add(option);
    for (OptionButton *option : {control<Field::IFBIsFifo>(), control<Field::IFBIsFifoTar>(), control<Field::IFBIsFastSer>()})
        setB->add(option);

    auto *chips = tight(new QHBoxLayout);
    chips->setContentsMargins(0, 0, 0, 0);
    chips->addWidget(bmGroup());
    chips->addWidget(ft2232cGroup(), 1);
    auto *editor = tight(new QVBoxLayout);
    editor->setContentsMargins(0, 0, 0, 0);
    editor->addWidget(commonGroup());
    editor->addLayout(chips, 1);
    auto *columns = tight(new QHBoxLayout(this));
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addLayout(editor, 1);
    columns->addWidget(commandColumn());
}

QWidget *EditorForm::createEditorControl(const EditorControl &control) {
    const QString caption = QCoreApplication::translate("EditorControls", control.caption);
    switch (control.kind) {
        case ControlKind::Toggle: return named(new QCheckBox(caption), control.objectName, caption);
        case ControlKind::Option: return named(new OptionButton(caption), control.objectName, caption);
        case ControlKind::TextBox: break;
    }
    auto *box = named(new QLineEdit(QString::fromUtf8(control.initialText)), control.objectName, caption);
    box->setValidator(new TypingLimit(box, control.maxLength));
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSizeF(8);
    box->setFont(courier);
    // Short boxes take the room of their text, not of the row.
    if (control.maxLength <= 4) box->setMaximumWidth(box->fontMetrics().horizontalAdvance(u'W') * 6);
    if (control.filter == KeyFilter::Decimal) box->installEventFilter(new KeyFilterHook(box, filterDecimalKey));
    if (control.filter == KeyFilter::Hexadecimal) box->installEventFilter(new KeyFilterHook(box, filterHexadecimalKey));
    return box;
}

// A text box in a frame that carries its caption (none for the version boxes).
QWidget *EditorForm::framed(Field field, const QString &caption) {
    auto *frame = new QGroupBox(caption);
    frame->setObjectName(QString::fromLatin1(editorControl(field).objectName) + QStringLiteral("_frame"));
    auto *layout = tight(new QVBoxLayout(frame));
    layout->addWidget(widget(field));
    return frame;
}

QWidget *EditorForm::commonGroup() {
    auto *group = new QWidget;
    group->setObjectName(QStringLiteral("common_group"));
    auto *grid = tight(new QGridLayout(group));
    grid->setContentsMargins(0, 0, 0, 0);
    const auto frame = [this](Field field) {
        return framed(field, QCoreApplication::translate("EditorControls", editorControl(field).caption));
    };
    grid->addWidget(frame(Field::Manufacturer), 0, 0, 1, 2);
    grid->addWidget(frame(Field::ManufacturerId), 0, 2);
    grid->addWidget(frame(Field::Description), 0, 3, 1, 2);
    grid->addWidget(frame(Field::VendorId), 1, 0);
    grid->addWidget(frame(Field::ProductId), 1, 1);
    grid->addWidget(frame(Field::MaxPower), 1, 2);
    grid->addWidget(frame(Field::SerialNumber), 1, 3, 1, 2);
    auto *toggles = tight(new QVBoxLayout);
    for (Field field : {Field::PnP, Field::SelfPowered, Field::RemoteWakeup}) toggles->addWidget(widget(field));
    grid->addLayout(toggles, 0, 5, 2, 1);
    return group;
}

QWidget *EditorForm::bmGroup() {
    auto *group = new QFrame;
    group->setObjectName(QStringLiteral("bm_group"));
    group->setFrameShape(QFrame::StyledPanel);
    auto *column = tight(new QVBoxLayout(group));
    column->setSpacing(0);
    for (Field field : {Field::Rev4, Field::IsoIn, Field::IsoOut, Field::PullDownEnable, Field::SerNumEnable})
        column->addWidget(widget(field));
    auto *version = tight(new QHBoxLayout);
    version->addWidget(widget(Field::USBVersionEnable));
    version->addWidget(framed(Field::USBVersion));
    column->addLayout(version);
    column->addStretch();
    return group;
}

QWidget *EditorForm::ft2232cGroup() {
    auto *group = new QFrame;
    group->setObjectName(QStringLiteral("ft2232c_group"));
    group->setFrameShape(QFrame::StyledPanel);
    auto *outer = tight(new QVBoxLayout(group));
    outer->setSpacing(0);
    outer->addWidget(widget(Field::Rev5));
    auto *frame = new QGroupBox;
    frame->setObjectName(QStringLiteral("rev5_ft2232c"));
    auto *columns = tight(new QHBoxLayout(frame));
    // The two option sets sit in containers of their own so one never clears the other.
    const auto channel = [&](const char *container, std::initializer_list<Field> fields) {
        auto *box = new QWidget;
        box->setObjectName(QString::fromLatin1(container));
        auto *list = tight(new QVBoxLayout(box));
        list->setContentsMargins(0, 0, 0, 0);
        list->setSpacing(0);
        for (Field field : fields) list->addWidget(widget(field));
        list->addStretch();
        columns->addWidget(box);
    };
    channel("Picture2", {Field::IsoInA, Field::IsoOutA, Field::AIsHighCurrent, Field::IFAIsFifo, Field::IFAIsFifoTar,
                         Field::IFAIsFastSer, Field::AIsVCP});
    channel("Picture3", {Field::IsoInB, Field::IsoOutB, Field::BIsHighCurrent, Field::IFBIsFifo, Field::IFBIsFifoTar,
                         Field::IFBIsFastSer, Field::BIsVCP});
    auto *common = tight(new QVBoxLayout);
    common->setSpacing(0);
    for (Field field : {Field::PullDownEnable5, Field::SerNumEnable5, Field::USBVersionEnable5})
        common->addWidget(widget(field));
    common->addWidget(framed(Field::USBVersion5));
    common->addStretch();
    columns->addLayout(common);
    outer->addWidget(frame);
    return group;
}

QWidget *EditorForm::commandColumn() {
    auto *column = new QWidget;
    column->setObjectName(QStringLiteral("commands"));
    column->setMaximumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("Auto Update")) + 30);
    auto *list = tight(new QVBoxLayout(column));
    list->setContentsMargins(0, 0, 0, 0);
    const auto button = [&](const char *name, const char *caption) {
        const QString shown = QCoreApplication::translate("EditorForm", caption);
        auto *button = named(new QPushButton(shown), name, shown);
        list->addWidget(button);
        return button;
    };
    const auto box = [&](const char *name, const char *caption) {
        const QString shown = QCoreApplication::translate("EditorForm", caption);
        auto *box = named(new QCheckBox(shown), name, shown);
        list->addWidget(box);
        return box;
    };
    commands_.read = button("read1", QT_TRANSLATE_NOOP("EditorForm", "Read"));
    commands_.write = button("write1", QT_TRANSLATE_NOOP("EditorForm", "Write"));
    commands_.erase = button("eeprom_erase", QT_TRANSLATE_NOOP("EditorForm", "Erase"));

    auto *source = new QGroupBox;
    source->setObjectName(QStringLiteral("source"));
    auto *sourceList = tight(new QVBoxLayout(source));
    auto *selector = new OptionSet(this);
    const QString device = QCoreApplication::translate("EditorForm", "Device");
    const QString defaults = QCoreApplication::translate("EditorForm", "Default");
    commands_.device = named(new OptionButton(device), "device1", device);
    commands_.defaults = named(new OptionButton(defaults), "default", defaults);
    for (OptionButton *option : {commands_.device, commands_.defaults}) {
        selector->add(option);
        sourceList->addWidget(option);
    }
    list->addWidget(source);

    commands_.autoUpdate = box("auto_detekce", QT_TRANSLATE_NOOP("EditorForm", "Auto Update"));
    commands_.refresh = button("eeprom_refresh", QT_TRANSLATE_NOOP("EditorForm", "Refresh"));
    commands_.textInfo = box("text_info", QT_TRANSLATE_NOOP("EditorForm", "Text info"));
    commands_.binaryInfo = box("binary_info", QT_TRANSLATE_NOOP("EditorForm", "Binary info"));
    list->addStretch();
    return column;
}

int32_t EditorForm::recordValue(Field field) const {
    const EditorControl &control = editorControl(field);
    switch (control.kind) {
        case ControlKind::Toggle: {
            const auto *box = static_cast<const QCheckBox *>(widget(field));
            if (box->checkState() == Qt::PartiallyChecked) return kGreyToggle;
            return box->isChecked() ? 1 : 0;
        }
        case ControlKind::Option: return static_cast<const OptionButton *>(widget(field))->isChecked() ? kSelectedOption : 0;
        case ControlKind::TextBox: break;
    }
    // The record's numbers are 16 bits wide: a text that reads as more (or as a
    // negative number) hands over its low 16 bits, so "1FFFF" stores 0xFFFF.
    const QString shown = text(field);
    const int32_t number = control.form == TextForm::Decimal ? leadingDecimal(shown) : BaseToNumber(shown, 16);
    return number & 0xFFFF;
}

QString EditorForm::text(Field field) const {
    return static_cast<const QLineEdit *>(widget(field))->text();
}

void EditorForm::setRecordValue(Field field, int32_t value) {
    const EditorControl &control = editorControl(field);
    switch (control.kind) {
        case ControlKind::Toggle: {
            auto *box = static_cast<QCheckBox *>(widget(field));
            // Other non-zero values show as ticked.
            if (value == kGreyToggle) {
                box->setTristate(true);
                box->setCheckState(Qt::PartiallyChecked);
            } else {
                box->setChecked(value != 0);
            }
            return;
        }
        case ControlKind::Option: static_cast<OptionButton *>(widget(field))->setChecked(value != 0); return;
        case ControlKind::TextBox:
            static_cast<QLineEdit *>(widget(field))
                ->setText(control.form == TextForm::Decimal ? decimalForm(value) : hexForm(value));
            return;
    }
}

void EditorForm::setText(Field field, const QString &text) {
    switch (kindOf(field)) {
        case ControlKind::Toggle: static_cast<QCheckBox *>(widget(field))->setChecked(text == u"1"); return;
        case ControlKind::Option: static_cast<OptionButton *>(widget(field))->setChecked(text == u"1"); return;
        case ControlKind::TextBox: static_cast<QLineEdit *>(widget(field))->setText(text); return;
    }
}

}  // namespace kestrom::mainwindow
