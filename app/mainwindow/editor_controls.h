// The field editor's controls, listed once: each record field's control with its
// look, its group, where Write hands it over and what the defaults give it. Every
// other list of controls (the groups, the Write order, the defaults, the typed
// access of the form) is a view of this table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "romgate_fields.h"

namespace kestrom::mainwindow {

// The record's fields, in the record's order; they index the editor's controls.
enum class Field : uint8_t {
#define KESTROM_FIELD_ENUM(kind, name) name,
    ROMGATE_RECORD_FIELDS(KESTROM_FIELD_ENUM)
#undef KESTROM_FIELD_ENUM
};
#define KESTROM_FIELD_COUNT(kind, name) +1
inline constexpr size_t kFieldCount = 0 ROMGATE_RECORD_FIELDS(KESTROM_FIELD_COUNT);
#undef KESTROM_FIELD_COUNT

enum class ControlKind { TextBox, Toggle, Option };
enum class TextForm { Plain, Hexadecimal, Decimal };
enum class KeyFilter { None, Decimal, Hexadecimal };
// The common group is always handed over; a chip group only for its own chip.
enum class ControlGroup { Common, Bm, Ft2232c };

// A toggle's third, grey state, as a loaded or stored value; and a selected option's value.
inline constexpr int32_t kGreyToggle = 2;
inline constexpr int32_t kSelectedOption = 0xFFFF;

// The defaults' columns: FT232BM/FT245BM, FT8U232AM, FT2232C, every other code.
inline constexpr size_t kDefaultsColumns = 4;

struct EditorControl {
    Field field;
    const char *objectName;
    ControlKind kind;
    // A toggle's or option's own caption, a text box's frame caption, or for the two
    // version boxes, which stand in caption-less frames, the name a screen reader reads.
    const char *caption;
    const char *initialText;
    int maxLength;
    TextForm form;
    KeyFilter filter;
    ControlGroup group;
    int writeRank;     // place in the order Write hands the fields over
    int defaultsRank;  // place in the order the defaults are filled
    // Toggles and options take "1" (ticked, selected) or "0"; text boxes their text.
    std::array<const char *, kDefaultsColumns> defaults;
};

namespace table {

using enum ControlKind;
using enum ControlGroup;
using D = std::array<const char *, kDefaultsColumns>;

constexpr EditorControl text(Field field, const char *name, const char *caption, const char *initial, int maxLength,
                             TextForm form, KeyFilter filter, ControlGroup group, int write, int defaults, D values) {
    return {field, name, TextBox, caption, initial, maxLength, form, filter, group, write, defaults, values};
}
constexpr EditorControl toggle(Field field, const char *name, const char *caption, ControlGroup group, int write,
                               int defaults, D values) {
    return {field, name, Toggle, caption, "", 0, TextForm::Plain, KeyFilter::None, group, write, defaults, values};
}
constexpr EditorControl option(Field field, const char *name, const char *caption, int write, int defaults,
                               D values) {
    return {field, name, Option, caption, "", 0, TextForm::Plain, KeyFilter::None, Ft2232c, write, defaults, values};
}

constexpr TextForm kPlain = TextForm::Plain, kHex = TextForm::Hexadecimal, kDecimal = TextForm::Decimal;
constexpr KeyFilter kNone = KeyFilter::None;
constexpr D kOff{"0", "0", "0", "0"};

}  // namespace table

// In the order the editor is filled from the device.
inline constexpr EditorControl kEditorControls[] = {
    // clang-format off
    //            field                      name               caption                initial   max form    filter               group   write defaults  BM  AM  2232C  other
    table::text(Field::Manufacturer,   "manufactuer",   "Manufacturer",        "FTDI",          23, table::kPlain,   table::kNone, table::Common,  2, 32, {"FTDI", "FTDI", "FTDI", " "}),
    table::text(Field::ManufacturerId, "Text6",         "ManufacturerID",      "qv",             2, table::kPlain,   table::kNone, table::Common,  3, 34, {"QV", "QV", "QV", " "}),
    table::text(Field::Description,    "Description_",  "Description",         "USB FTDI port", 23, table::kPlain,   table::kNone, table::Common,  4, 33, {"USB FTDI port", "USB FTDI port", "USB FTDI port", " "}),
    table::text(Field::SerialNumber,   "serial_number", "Serial Number",       "00000001",      15, table::kPlain,   table::kNone, table::Common,  5, 35, {"QV000001", "QV000001", "QV000001", " "}),
    table::text(Field::VendorId,       "VendorID",      "VendorID",            "0403",           4, table::kHex,     table::kNone, table::Common,  0, 31, {"0403", "0403", "0403", "0000"}),
    table::text(Field::ProductId,      "ProductID",     "ProductID",           "6001",           4, table::kHex,     KeyFilter::Hexadecimal, table::Common, 1, 30, {"6001", "6001", "6010", "0000"}),
    table::text(Field::MaxPower,       "max_power",     "Max Power (mA)",      "44",             2, table::kDecimal, KeyFilter::Decimal,     table::Common, 6, 29, {"50", "45", "99", "00"}),
    table::toggle(Field::PnP,              "plug_and_play",     "Plug and Play",        table::Common,   7, 27, {"1", "1", "1", "0"}),
    table::toggle(Field::SelfPowered,      "self_powered",      "Self Powered",         table::Common,   8, 28, table::kOff),
    table::toggle(Field::RemoteWakeup,     "remote_wakeup",     "Remote Wakeup",        table::Common,   9, 26, table::kOff),
    table::toggle(Field::IsoIn,            "iso_in",            "ISO IN",               table::Bm,      11,  4, table::kOff),
    table::toggle(Field::IsoOut,           "iso_out",           "ISO OUT",              table::Bm,      12,  5, table::kOff),
    table::toggle(Field::Rev4,             "Rev4",              "FT2xxBM",              table::Bm,      10,  0, {"1", "0", "0", "0"}),
    table::toggle(Field::PullDownEnable,   "int_pden",          "Pull Down Enable",     table::Bm,      13,  2, table::kOff),
    table::toggle(Field::SerNumEnable,     "int_do_serno",      "Serial Number Enable", table::Bm,      14,  1, {"1", "1", "0", "0"}),
    table::toggle(Field::USBVersionEnable, "int_usb_ver",       "USB Version",          table::Bm,      16,  3, {"1", "1", "0", "0"}),
    table::text(Field::USBVersion,     "Text5",         "FT2xxBM USB Version", "0110",           4, table::kHex,     table::kNone, table::Bm,     15,  6, {"0000", "0000", "0000", "0000"}),
    table::toggle(Field::IsoInA,           "IsoInA",            "Iso InA",              table::Ft2232c, 18,  8, table::kOff),
    table::toggle(Field::IsoOutA,          "IsoOutA",           "Iso OutA",             table::Ft2232c, 19,  9, table::kOff),
    table::toggle(Field::AIsHighCurrent,   "AIsHighCurrent",    "AIs High Current",     table::Ft2232c, 20, 10, table::kOff),
    table::option(Field::IFAIsFifo,        "IFAIsFifo",         "245 FIFO A",                           21, 11, {"0", "0", "1", "0"}),
    table::option(Field::IFAIsFifoTar,     "IFAIsFifoTar",      "FIFO CPU target A",                    22, 12, table::kOff),
    table::option(Field::IFAIsFastSer,     "IFAIsFastSer",      "Fast serial A",                        23, 13, table::kOff),
    table::toggle(Field::AIsVCP,           "AIsVCP",            "VCP drivers A",        table::Ft2232c, 24, 14, table::kOff),
    table::toggle(Field::IsoInB,           "IsoInB",            "Iso InB",              table::Ft2232c, 25, 15, table::kOff),
    table::toggle(Field::IsoOutB,          "IsoOutB",           "Iso OutB",             table::Ft2232c, 26, 16, table::kOff),
    table::toggle(Field::BIsHighCurrent,   "BIsHighCurrent",    "BIs High Current",     table::Ft2232c, 27, 17, table::kOff),
    table::option(Field::IFBIsFifo,        "IFBIsFifo",         "245 FIFO B",                           28, 18, {"0", "0", "1", "0"}),
    table::option(Field::IFBIsFifoTar,     "IFBIsFifoTar",      "FIFO CPU target B",                    29, 19, table::kOff),
    table::option(Field::IFBIsFastSer,     "IFBIsFastSer",      "Fast serial B",                        30, 20, table::kOff),
    table::toggle(Field::BIsVCP,           "BIsVCP",            "VCP drivers B",        table::Ft2232c, 31, 21, table::kOff),
    table::toggle(Field::Rev5,             "Rev5",              "FT2232C",              table::Ft2232c, 17,  7, {"0", "0", "1", "0"}),
    table::toggle(Field::PullDownEnable5,  "PullDownEnable5",   "Pull Down Enable",     table::Ft2232c, 32, 22, table::kOff),
    table::toggle(Field::SerNumEnable5,    "SerNumEnable5",     "SerNum Enable",        table::Ft2232c, 33, 23, table::kOff),
    table::toggle(Field::USBVersionEnable5, "USBVersionEnable5", "USB Version",         table::Ft2232c, 35, 25, table::kOff),
    table::text(Field::USBVersion5,    "USBVersion5",   "FT2232C USB Version", "0200",           4, table::kHex,     table::kNone, table::Ft2232c, 34, 24, {"0000", "0000", "0200", "0000"}),
    // clang-format on
};

// The entry of `field`.
constexpr const EditorControl &editorControl(Field field) {
    for (const EditorControl &control : kEditorControls) {
        if (control.field == field) return control;
    }
    return kEditorControls[0];  // never: every field has its control (checked where the views are made)
}

constexpr ControlKind kindOf(Field field) { return editorControl(field).kind; }

// The chip group's toggle: Rev4 heads the FT2xxBM group, Rev5 the FT2232C group.
constexpr Field groupToggle(ControlGroup group) { return group == ControlGroup::Bm ? Field::Rev4 : Field::Rev5; }

// Views of the table.
std::span<const EditorControl> editorControls();  // in the order the editor is filled from the device
std::vector<const EditorControl *> writeOrder(ControlGroup group);  // what Write hands over, in order
std::vector<const EditorControl *> defaultsOrder();                 // what the defaults fill, in order
// A chip group's controls without its toggle, in the order they are switched on and off.
std::vector<Field> groupMembers(ControlGroup group);
// The defaults' column for a chip type code.
size_t defaultsColumn(int32_t chipType);

}  // namespace kestrom::mainwindow
