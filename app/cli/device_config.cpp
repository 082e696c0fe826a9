#include "device_config.h"

#include <vector>

#include "chip_structures.h"
#include "cli_common.h"

namespace kestrom::cli {

namespace {

// Version 2 carries every field of the record: the FT2232C's and the FT232R's too.
constexpr uint32_t kRecordVersion = 2;

}  // namespace

ProgramRecord::ProgramRecord() {
    record_.Signature1 = 0x00000000;
    record_.Signature2 = 0xFFFFFFFF;
    record_.Version = kRecordVersion;
    record_.Manufacturer = manufacturer_;
    record_.ManufacturerId = manufacturerId_;
    record_.Description = description_;
    record_.SerialNumber = serialNumber_;
}

EepromContents ProgramRecord::contents() const {
    EepromContents contents;
    contents.fields = record_;
    contents.fields.Manufacturer = contents.fields.ManufacturerId = nullptr;
    contents.fields.Description = contents.fields.SerialNumber = nullptr;
    contents.manufacturer = manufacturer_;
    contents.description = description_;
    contents.serialNumber = serialNumber_;
    return contents;
}

FT_STATUS readConfig(platform::D2xxBinding &d2xx, int index, DeviceConfig &config) {
    if (const FT_STATUS status = safety::readChipWords(d2xx, index, config.chip); status != FT_OK)
        return status;
    safety::OpenDevice device(d2xx, index);
    if (device.status() != FT_OK) return device.status();
    ProgramRecord record;
    config.recordStatus = d2xx.FT_EE_Read(device.handle(), record.data());
    if (config.recordStatus == FT_OK) {
        config.contents = record.contents();
        config.recordStatus =
            readChipStructure(d2xx, device.handle(), config.chip.identity.type, config.contents);
    }
    uint32_t bytes = 0;
    if (config.recordStatus == FT_OK && d2xx.FT_EE_UASize(device.handle(), &bytes) == FT_OK)
        config.userAreaBytes = bytes;
    return FT_OK;
}

bool usesChipStructure(uint32_t chipType) {
    const eeprom::ChipTable *chip = eeprom::chipTable(chipType);
    return chip != nullptr && chip->ownStructure;
}

FT_STATUS readChipStructure(platform::D2xxBinding &d2xx, FT_HANDLE handle, uint32_t chipType,
                            EepromContents &contents) {
    if (!usesChipStructure(chipType)) return FT_OK;
    std::vector<unsigned char> structure(d2xx::chipStructureSize(chipType));
    reinterpret_cast<FT_EEPROM_HEADER *>(structure.data())->deviceType = chipType;
    if (const FT_STATUS status = d2xx.FT_EEPROM_Read(handle, structure.data(), uint32_t(structure.size()),
                                                     nullptr, nullptr, nullptr, nullptr);
        status != FT_OK) {
        return status;
    }
    return d2xx::fromChipStructure(chipType, structure.data(), structure.size(), contents);
}

FT_STATUS programChipStructure(platform::D2xxBinding &d2xx, FT_HANDLE handle, uint32_t chipType,
                               const EepromContents &contents) {
    std::vector<unsigned char> structure(d2xx::chipStructureSize(chipType));
    if (const FT_STATUS status =
            d2xx::toChipStructure(chipType, contents, structure.data(), structure.size());
        status != FT_OK) {
        return status;
    }
    std::string manufacturer = contents.manufacturer, manufacturerId = d2xx::manufacturerIdOf(contents);
    std::string description = contents.description, serialNumber = contents.serialNumber;
    return d2xx.FT_EEPROM_Program(handle, structure.data(), uint32_t(structure.size()), manufacturer.data(),
                                  manufacturerId.data(), description.data(), serialNumber.data());
}

std::optional<int> readChosenConfig(const Arguments &args, DeviceConfig &config, int &exitCode) {
    const std::optional<Arguments::ChosenDevice> device = args.chooseDevice(exitCode);
    if (!device) return std::nullopt;
    if (const FT_STATUS status = readConfig(*device->d2xx, device->index, config); status != FT_OK) {
        exitCode = args.readFailure(device->index, status);
        return std::nullopt;
    }
    return device->index;
}

QString partName(uint32_t chipType, size_t words) {
    if (chipType == FT_DEVICE_232R || chipType == FT_DEVICE_X_SERIES) return QStringLiteral("internal");
    switch (words) {
        case 64:
            return QStringLiteral("93C46");
        case 128:
            return QStringLiteral("93C56");
        case 256:
            return QStringLiteral("93C66");
        default:
            return QStringLiteral("%1 words").arg(words);
    }
}

size_t stringBytes(const EepromContents &contents) {
    size_t bytes = 0;
    for (const std::string *text : {&contents.manufacturer, &contents.description, &contents.serialNumber}) {
        bytes += 2 + 2 * size_t(QString::fromStdString(*text).size());
    }
    return bytes;
}

}  // namespace kestrom::cli
