#include "editor_form.h"

#include <QButtonGroup>
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
    for (const EditorControl &control : editorControls()) createEditorControl(control);

    auto *sets = new OptionSet(this);
    auto *setB = new OptionSet(this);
    for (const char *name : {"IFAIsFifo", "IFAIsFifoTar", "IFAIsFastSer"}) sets->add(option(name));
    for (const char *name : {"IFBIsFifo", "IFBIsFifoTar", "IFBIsFastSer"}) setB->add(option(name));

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

template <typename Widget>
Widget *EditorForm::add(Widget *widget, const QString &name, const QString &accessibleName) {
    widget->setObjectName(name);
    widget->setAccessibleName(accessibleName);
    controls_.insert(name, widget);
    return widget;
}

QWidget *EditorForm::createEditorControl(const EditorControl &control) {
    const QString name = QString::fromLatin1(control.objectName);
    const QString caption = QString::fromUtf8(control.caption);
    switch (control.kind) {
        case ControlKind::Toggle: return add(new QCheckBox(caption), name, caption);
        case ControlKind::Option: return add(new OptionButton(caption), name, caption);
        case ControlKind::TextBox: break;
    }
    auto *box = add(new QLineEdit(QString::fromUtf8(control.initialText)), name, caption);
    box->setValidator(new TypingLimit(box, control.maxLength));
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSizeF(8);
    box->setFont(courier);
    // Short boxes take the room of their text, not of the row.
    if (control.maxLength <= 4) box->setMaximumWidth(box->fontMetrics().horizontalAdvance(u'W') * 6);
    if (control.filter == KeyFilter::Decimal) box->installEventFilter(new KeyFilterHook(box, Select_Deka));
    if (control.filter == KeyFilter::Hexadecimal) box->installEventFilter(new KeyFilterHook(box, Select_Hexa));
    return box;
}

// A text box in a frame that carries its caption (none for the version boxes).
QWidget *EditorForm::framed(const QString &name, const QString &caption) {
    auto *frame = new QGroupBox(caption);
    frame->setObjectName(name + QStringLiteral("_frame"));
    auto *layout = tight(new QVBoxLayout(frame));
    layout->addWidget(control(name));
    return frame;
}

QWidget *EditorForm::commonGroup() {
    auto *group = new QWidget;
    group->setObjectName(QStringLiteral("common_group"));
    auto *grid = tight(new QGridLayout(group));
    grid->setContentsMargins(0, 0, 0, 0);
    const auto frame = [this](const char *name) {
        return framed(QString::fromLatin1(name), QString::fromUtf8(controlNamed(name)->caption));
    };
    grid->addWidget(frame("manufactuer"), 0, 0, 1, 2);
    grid->addWidget(frame("Text6"), 0, 2);
    grid->addWidget(frame("Description_"), 0, 3, 1, 2);
    grid->addWidget(frame("VendorID"), 1, 0);
    grid->addWidget(frame("ProductID"), 1, 1);
    grid->addWidget(frame("max_power"), 1, 2);
    grid->addWidget(frame("serial_number"), 1, 3, 1, 2);
    auto *toggles = tight(new QVBoxLayout);
    for (const char *name : {"plug_and_play", "self_powered", "remote_wakeup"}) toggles->addWidget(control(name));
    grid->addLayout(toggles, 0, 5, 2, 1);
    return group;
}

QWidget *EditorForm::bmGroup() {
    auto *group = new QFrame;
    group->setObjectName(QStringLiteral("bm_group"));
    group->setFrameShape(QFrame::StyledPanel);
    auto *column = tight(new QVBoxLayout(group));
    column->setSpacing(0);
    column->addWidget(control("Rev4"));
    for (const char *name : {"iso_in", "iso_out", "int_pden", "int_do_serno"}) column->addWidget(control(name));
    auto *version = tight(new QHBoxLayout);
    version->addWidget(control("int_usb_ver"));
    version->addWidget(framed(QStringLiteral("Text5")));
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
    outer->addWidget(control("Rev5"));
    auto *frame = new QGroupBox;
    frame->setObjectName(QStringLiteral("rev5_ft2232c"));
    auto *columns = tight(new QHBoxLayout(frame));
    // The two option sets sit in containers of their own so one never clears the other.
    const auto channel = [&](const char *container, std::initializer_list<const char *> names) {
        auto *box = new QWidget;
        box->setObjectName(QString::fromLatin1(container));
        auto *list = tight(new QVBoxLayout(box));
        list->setContentsMargins(0, 0, 0, 0);
        list->setSpacing(0);
        for (const char *name : names) list->addWidget(control(name));
        list->addStretch();
        columns->addWidget(box);
    };
    channel("Picture2", {"IsoInA", "IsoOutA", "AIsHighCurrent", "IFAIsFifo", "IFAIsFifoTar", "IFAIsFastSer", "AIsVCP"});
    channel("Picture3", {"IsoInB", "IsoOutB", "BIsHighCurrent", "IFBIsFifo", "IFBIsFifoTar", "IFBIsFastSer", "BIsVCP"});
    auto *common = tight(new QVBoxLayout);
    common->setSpacing(0);
    common->addWidget(control("PullDownEnable5"));
    common->addWidget(control("SerNumEnable5"));
    common->addWidget(control("USBVersionEnable5"));
    common->addWidget(framed(QStringLiteral("USBVersion5")));
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
    for (auto [name, caption] : {std::pair{"read1", "Read"}, {"write1", "Write"}, {"eeprom_erase", "Erase"}}) {
        list->addWidget(add(new QPushButton(QString::fromLatin1(caption)), name, caption));
    }
    auto *source = new QGroupBox;
    source->setObjectName(QStringLiteral("source"));
    auto *sourceList = tight(new QVBoxLayout(source));
    auto *selector = new OptionSet(this);
    for (auto [name, caption] : {std::pair{"device1", "Device"}, {"default", "Default"}}) {
        auto *button = add(new OptionButton(QString::fromLatin1(caption)), name, caption);
        selector->add(button);
        sourceList->addWidget(button);
    }
    list->addWidget(source);
    list->addWidget(add(new QCheckBox(QStringLiteral("Auto Update")), QStringLiteral("auto_detekce"),
                        QStringLiteral("Auto Update")));
    list->addWidget(add(new QPushButton(QStringLiteral("Refresh")), QStringLiteral("eeprom_refresh"),
                        QStringLiteral("Refresh")));
    for (auto [name, caption] : {std::pair{"text_info", "Text info"}, {"binary_info", "Binary info"}}) {
        list->addWidget(add(new QCheckBox(QString::fromLatin1(caption)), name, caption));
    }
    list->addStretch();
    return column;
}

void EditorForm::setValue(const EditorControl &control, int32_t value) {
    QWidget *widget = this->control(QString::fromLatin1(control.objectName));
    switch (control.kind) {
        case ControlKind::Toggle: {
            auto *box = static_cast<QCheckBox *>(widget);
            // 2 is the grey third state; other non-zero values show as ticked.
            if (value == 2) {
                box->setTristate(true);
                box->setCheckState(Qt::PartiallyChecked);
            } else {
                box->setChecked(value != 0);
            }
            return;
        }
        case ControlKind::Option: static_cast<OptionButton *>(widget)->setChecked(value != 0); return;
        case ControlKind::TextBox:
            static_cast<QLineEdit *>(widget)->setText(control.form == TextForm::Decimal ? decimalForm(value)
                                                                                          : hexForm(value));
            return;
    }
}

void EditorForm::setText(const EditorControl &control, const QString &text) {
    QWidget *widget = this->control(QString::fromLatin1(control.objectName));
    switch (control.kind) {
        case ControlKind::Toggle: static_cast<QCheckBox *>(widget)->setChecked(text == u"1"); return;
        case ControlKind::Option: static_cast<OptionButton *>(widget)->setChecked(text == u"1"); return;
        case ControlKind::TextBox: static_cast<QLineEdit *>(widget)->setText(text); return;
    }
}

}  // namespace kestrom::mainwindow
