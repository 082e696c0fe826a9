// The simulated backend: devices described by a simulated-devices file, each with
// its EEPROM image in a file of its own, so that what a program writes is there on
// the next run.
//
// Device indices count the present devices in file order, as USB enumeration
// would: when the first device is unplugged (present = 0), the next one becomes
// index 0. The file is read again for every listing and every open; an opened
// device keeps the configuration it was opened with until it is closed.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>
#include <utility>

#include "backend.h"
#include "device_lock.h"
#include "eeprom_codec.h"
#include "image_file.h"
#include "simulated_devices_file.h"

namespace kestrom::d2xx {
namespace {

// What the device enumerates with: the configured values, else those a valid image
// holds, else the chip's own defaults.
DeviceInfo enumerate(const SimulatedDeviceConfig &config, const Image &image, std::string location) {
    EepromContents contents;
    if (decode(config.chipType, image, contents) != FT_OK) contents = chipDefaults(config.chipType);
    DeviceInfo info;
    info.type = config.chipType;
    info.id = config.id.value_or(uint32_t{contents.fields.VendorId} << 16 | contents.fields.ProductId);
    info.serialNumber = config.serialNumber.value_or(contents.serialNumber);
    info.description = config.description.value_or(contents.description);
    info.port = config.section;
    info.location = std::move(location);
    return info;
}

// The end of the process at a power cut: no cleanup, no flushing, exit status 137
// (as after SIGKILL). Image files are always whole, since every store is atomic.
[[noreturn]] void powerCut() {
    _exit(137);
}

// A moment of `call` on `device`: a pause before the call works, or a power cut.
void reachMoment(const SimulatedDeviceConfig &device, std::string_view call, CallMoment moment) {
    if (const uint32_t pause = device.delay(call); pause > 0 && moment == CallMoment::Before) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    }
    if (device.powerCut(call, moment)) powerCut();
}

// What the EEPROM holds when power fails halfway through writing `count` words from
// `first` on, in address order: the first half of them new, the rest old. A single
// word is left torn: its low byte new, its high byte old.
Image halfWritten(const Image &now, const Image &next, size_t first, size_t count) {
    Image half = now;
    if (count == 1) {
        half[first] = static_cast<uint16_t>((now[first] & 0xFF00) | (next[first] & 0x00FF));
        return half;
    }
    std::copy_n(next.begin() + static_cast<std::ptrdiff_t>(first), count / 2,
                half.begin() + static_cast<std::ptrdiff_t>(first));
    return half;
}

// What the device's EEPROM reads: its image file, or blank when none is fitted.
ImageFileState loadEeprom(const SimulatedDeviceConfig &config, Image &image) {
    if (!config.eepromPresent) {
        image.assign(config.eepromWords, 0xFFFF);
        return ImageFileState::Missing;
    }
    return loadImageFile(config.imagePath, config.eepromWords, image);
}

class SimulatedDevice final : public Device {
public:
    SimulatedDevice(SimulatedDeviceConfig config, Image image, std::unique_ptr<DeviceLock> lock,
                    std::string location)
        : config_(std::move(config)),
          image_(std::move(image)),
          info_(enumerate(config_, image_, std::move(location))),
          lock_(std::move(lock)) {}

    uint32_t chipType() const override { return config_.chipType; }
    size_t eepromWords() const override { return image_.size(); }

    FT_STATUS info(DeviceInfo &out) override {
        out = info_;
        return FT_OK;
    }

    FT_STATUS readWord(size_t address, uint16_t &value) override {
        if (address >= image_.size()) return FT_INVALID_PARAMETER;
        value = image_[address];
        return FT_OK;
    }

    FT_STATUS writeWord(size_t address, uint16_t value) override {
        if (address >= image_.size()) return FT_INVALID_PARAMETER;
        if (reservedWord(config_.chipType, address)) return FT_EEPROM_WRITE_FAILED;
        Image next = image_;
        next[address] = value;
        return write("FT_WriteEE", std::move(next), address, 1, FT_EEPROM_WRITE_FAILED);
    }

    FT_STATUS erase() override {
        // The FT232R's and the X series' internal memories cannot be erased: nothing to write.
        const bool internal = config_.chipType == FT_DEVICE_232R || config_.chipType == FT_DEVICE_X_SERIES;
        const size_t words = internal ? 0 : image_.size();
        Image next = image_;
        std::fill_n(next.begin(), words, 0xFFFF);
        return write("FT_EraseEE", std::move(next), 0, words, FT_EEPROM_ERASE_FAILED);
    }

    FT_STATUS readImage(Image &image) override {
        image = image_;
        return FT_OK;
    }

    // One file write for the whole image; a shorter image leaves the words after it,
    // and the X series' factory area stays as it is.
    FT_STATUS writeImage(const Image &image) override {
        if (image.size() > image_.size()) return FT_INVALID_PARAMETER;
        Image next = image_;
        for (size_t i = 0; i < image.size(); ++i)
            if (!reservedWord(config_.chipType, i)) next[i] = image[i];
        return write("FT_EE_Program", std::move(next), 0, image.size(), FT_EEPROM_WRITE_FAILED);
    }

    std::optional<FT_STATUS> injectedFailure(std::string_view call) const override {
        return config_.failure(call);
    }

    void powerCutPoint(std::string_view call, CallMoment moment) const override {
        reachMoment(config_, call, moment);
    }

private:
    // `next` is the image once `call` has written its `count` words from `first` on.
    // A missing or write-protected EEPROM takes nothing, and says nothing about it.
    FT_STATUS write(std::string_view call, Image next, size_t first, size_t count, FT_STATUS failed) {
        const bool takesWrites = config_.eepromPresent && !config_.writeProtect;
        if (config_.powerCut(call, CallMoment::During)) {
            if (takesWrites && count > 0) store(halfWritten(image_, next, first, count), failed);
            powerCut();
        }
        return takesWrites ? store(std::move(next), failed) : FT_STATUS{FT_OK};
    }

    // The file first: memory changes only once the image is safely on disk.
    FT_STATUS store(Image next, FT_STATUS failed) {
        if (!saveImageFile(config_.imagePath, next)) return failed;
        image_ = std::move(next);
        return FT_OK;
    }

    const SimulatedDeviceConfig config_;
    Image image_;
    const DeviceInfo info_;                   // as enumerated at open, like a real chip until it is replugged
    const std::unique_ptr<DeviceLock> lock_;  // released when the handle is
};

// The devices file as one absolute name, so that every process locks the same device.
std::string absoluteName(const std::string &file) {
    std::error_code error;
    auto path = std::filesystem::weakly_canonical(file, error);
    if (error) path = std::filesystem::absolute(file, error);
    return error ? file : path.string();
}

class SimulatedBackend final : public Backend {
public:
    explicit SimulatedBackend(const std::string &devicesFile) : devicesFile_(absoluteName(devicesFile)) {}

    FT_STATUS count(uint32_t &devices) override {
        devices = static_cast<uint32_t>(presentDevices().size());
        return FT_OK;
    }

    FT_STATUS describe(uint32_t index, DeviceInfo &out) override {
        auto devices = presentDevices();
        if (index >= devices.size()) return FT_DEVICE_NOT_FOUND;
        out = describeDevice(devices[index]);
        return FT_OK;
    }

    // One reading of the devices file for them all.
    FT_STATUS describeAll(std::vector<ListedDevice> &out) override {
        out.clear();
        const auto devices = presentDevices();
        for (uint32_t index = 0; index < devices.size(); ++index)
            out.push_back({index, describeDevice(devices[index])});
        return FT_OK;
    }

    FT_STATUS open(uint32_t index, std::unique_ptr<Device> &out) override {
        auto devices = presentDevices();
        if (index >= devices.size()) return FT_DEVICE_NOT_FOUND;
        return openListed(std::move(devices[index]), out);
    }

    // As FT_Open of its index would, with that call's injected pauses, power cuts and failures.
    FT_STATUS openAt(const std::string &port, std::unique_ptr<Device> &out) override {
        auto devices = presentDevices();
        const auto at =
            std::find_if(devices.begin(), devices.end(),
                         [&](const SimulatedDeviceConfig &device) { return device.section == port; });
        if (at == devices.end()) return FT_DEVICE_NOT_FOUND;
        const SimulatedDeviceConfig device = *at;
        reachMoment(device, "FT_Open", CallMoment::Before);
        const std::optional<FT_STATUS> failure = device.failure("FT_Open");
        const FT_STATUS status = failure && *failure != FT_OK ? *failure : openListed(device, out);
        reachMoment(device, "FT_Open", CallMoment::After);
        return status;
    }

    std::optional<FT_STATUS> injectedFailure(uint32_t index, std::string_view call) override {
        const auto devices = presentDevices();
        if (index >= devices.size()) return std::nullopt;
        return devices[index].failure(call);
    }

    void powerCutPoint(uint32_t index, std::string_view call, CallMoment moment) override {
        const auto devices = presentDevices();
        if (index < devices.size()) reachMoment(devices[index], call, moment);
    }

private:
    FT_STATUS openListed(SimulatedDeviceConfig device, std::unique_ptr<Device> &out) const {
        // Locked before the image is read: it is then the image the last holder left.
        std::string place = location(device);
        auto lock = DeviceLock::acquire(place);
        if (lock == nullptr) return FT_DEVICE_NOT_OPENED;
        Image image;
        if (loadEeprom(device, image) == ImageFileState::Unreadable) return FT_DEVICE_NOT_OPENED;
        out = std::make_unique<SimulatedDevice>(std::move(device), std::move(image), std::move(lock),
                                                std::move(place));
        return FT_OK;
    }

    DeviceInfo describeDevice(const SimulatedDeviceConfig &device) const {
        Image image;
        // A listing still shows a device whose image cannot be read, with its chip defaults.
        loadEeprom(device, image);
        return enumerate(device, image, location(device));
    }

    // The devices file and the section: a device's place, as a USB port is a chip's.
    std::string location(const SimulatedDeviceConfig &device) const {
        return "sim:" + devicesFile_ + "#" + device.section;
    }

    std::vector<SimulatedDeviceConfig> presentDevices() const {
        auto devices = readDevicesFile(devicesFile_);
        std::erase_if(devices, [](const SimulatedDeviceConfig &device) { return !device.present; });
        return devices;
    }

    const std::string devicesFile_;
};

}  // namespace

std::unique_ptr<Backend> makeSimulatedBackend(const std::string &devicesFile) {
    return std::make_unique<SimulatedBackend>(devicesFile);
}

}  // namespace kestrom::d2xx
