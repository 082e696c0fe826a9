#include "factory_defaults.h"

#include "chip_settings.h"

namespace kestrom::chipeditor {

d2xx::EepromContents factoryDefaults(uint32_t chipType, const d2xx::EepromContents &held) {
    if (eeprom::chipTable(chipType) == nullptr) return held;
    // The codec's table of what each chip works with unprogrammed, collected from
    // the datasheets: FT8U232AM (DS_FT8U232AM), FT232BM (DS_FT232BM) and FT2232C
    // (DS_FT2232C), their descriptors without an EEPROM; FT2232H (DS_FT2232H),
    // FT4232H (DS_FT4232H) and FT232H (DS_FT232H), "Default EEPROM configuration";
    // FT-X (DS_FT230X ... DS_FT240X), "MTP memory default configuration".
    d2xx::EepromContents defaults = d2xx::chipDefaults(chipType);
    // Every chip leaves the factory with a serial number of its own.
    defaults.serialNumber = held.serialNumber;
    switch (chipType) {
        case FT_DEVICE_232R:
            // DS_FT232R, "Default Internal EEPROM Configuration": the serial number
            // used, remote wake-up enabled, the VCP driver loaded.
            defaults.fields.SerNumEnableR = 1;
            defaults.fields.RemoteWakeup = 1;
            break;
        case FT_DEVICE_X_SERIES:
            // Each member of the series has its own product description.
            defaults.description = held.description;
            break;
        default:
            break;
    }
    // What no setting shows stays: the USB version of an FT232R, the user area.
    defaults.usbVersionR = held.usbVersionR;
    return defaults;
}

}  // namespace kestrom::chipeditor
