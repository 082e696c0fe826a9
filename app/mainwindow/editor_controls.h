// The field editor's controls: one for each field of the staging record, in the
// order the editor is filled from the device.
#pragma once

#include <span>
#include <string_view>

namespace kestrom::mainwindow {

enum class ControlKind { TextBox, Toggle, Option };
enum class TextForm { Plain, Hexadecimal, Decimal };
enum class KeyFilter { None, Decimal, Hexadecimal };

struct EditorControl {
    const char *field;       // the record field, as the accessors name it
    const char *objectName;  // the control's name
    ControlKind kind;
    // A toggle's or option's own caption, a text box's frame caption, or for the two
    // version boxes, which stand in caption-less frames, the name a screen reader reads.
    const char *caption;
    const char *initialText;
    int maxLength;
    TextForm form;
    KeyFilter filter;
};

std::span<const EditorControl> editorControls();

// The control bound to `field`, or null.
const EditorControl *controlForField(std::string_view field);
// The control named `objectName`, or null.
const EditorControl *controlNamed(std::string_view objectName);

}  // namespace kestrom::mainwindow
