#include "editor_controls.h"

namespace kestrom::mainwindow {

namespace {

using enum ControlKind;
using enum TextForm;

constexpr KeyFilter kNoFilter = KeyFilter::None;

constexpr EditorControl text(const char *field, const char *name, const char *caption, const char *initial,
                             int maxLength, TextForm form = Plain, KeyFilter filter = kNoFilter) {
    return {field, name, TextBox, caption, initial, maxLength, form, filter};
}
constexpr EditorControl toggle(const char *field, const char *name, const char *caption) {
    return {field, name, Toggle, caption, "", 0, Plain, kNoFilter};
}
constexpr EditorControl option(const char *field, const char *name, const char *caption) {
    return {field, name, Option, caption, "", 0, Plain, kNoFilter};
}

// In the order the editor is filled from the device.
constexpr EditorControl kControls[] = {
    text("Manufacturer", "manufactuer", "Manufacturer", "FTDI", 23),
    text("ManufacturerId", "Text6", "ManufacturerID", "qv", 2),
    text("Description", "Description_", "Description", "USB FTDI port", 23),
    text("SerialNumber", "serial_number", "Serial Number", "00000001", 15),
    text("VendorId", "VendorID", "VendorID", "0403", 4, Hexadecimal),
    text("ProductId", "ProductID", "ProductID", "6001", 4, Hexadecimal, KeyFilter::Hexadecimal),
    text("MaxPower", "max_power", "Max Power (mA)", "44", 2, Decimal, KeyFilter::Decimal),
    toggle("PnP", "plug_and_play", "Plug and Play"),
    toggle("SelfPowered", "self_powered", "Self Powered"),
    toggle("RemoteWakeup", "remote_wakeup", "Remote Wakeup"),
    toggle("IsoIn", "iso_in", "ISO IN"),
    toggle("IsoOut", "iso_out", "ISO OUT"),
    toggle("Rev4", "Rev4", "FT2xxBM"),
    toggle("PullDownEnable", "int_pden", "Pull Down Enable"),
    toggle("SerNumEnable", "int_do_serno", "Serial Number Enable"),
    toggle("USBVersionEnable", "int_usb_ver", "USB Version"),
    text("USBVersion", "Text5", "FT2xxBM USB Version", "0110", 4, Hexadecimal),
    toggle("IsoInA", "IsoInA", "Iso InA"),
    toggle("IsoOutA", "IsoOutA", "Iso OutA"),
    toggle("AIsHighCurrent", "AIsHighCurrent", "AIs High Current"),
    option("IFAIsFifo", "IFAIsFifo", "245 FIFO A"),
    option("IFAIsFifoTar", "IFAIsFifoTar", "FIFO CPU target A"),
    option("IFAIsFastSer", "IFAIsFastSer", "Fast serial A"),
    toggle("AIsVCP", "AIsVCP", "VCP drivers A"),
    toggle("IsoInB", "IsoInB", "Iso InB"),
    toggle("IsoOutB", "IsoOutB", "Iso OutB"),
    toggle("BIsHighCurrent", "BIsHighCurrent", "BIs High Current"),
    option("IFBIsFifo", "IFBIsFifo", "245 FIFO B"),
    option("IFBIsFifoTar", "IFBIsFifoTar", "FIFO CPU target B"),
    option("IFBIsFastSer", "IFBIsFastSer", "Fast serial B"),
    toggle("BIsVCP", "BIsVCP", "VCP drivers B"),
    toggle("Rev5", "Rev5", "FT2232C"),
    toggle("PullDownEnable5", "PullDownEnable5", "Pull Down Enable"),
    toggle("SerNumEnable5", "SerNumEnable5", "SerNum Enable"),
    toggle("USBVersionEnable5", "USBVersionEnable5", "USB Version"),
    text("USBVersion5", "USBVersion5", "FT2232C USB Version", "0200", 4, Hexadecimal),
};

}  // namespace

std::span<const EditorControl> editorControls() { return kControls; }

const EditorControl *controlForField(std::string_view field) {
    for (const EditorControl &control : kControls) {
        if (control.field == field) return &control;
    }
    return nullptr;
}

const EditorControl *controlNamed(std::string_view objectName) {
    for (const EditorControl &control : kControls) {
        if (control.objectName == objectName) return &control;
    }
    return nullptr;
}

}  // namespace kestrom::mainwindow
