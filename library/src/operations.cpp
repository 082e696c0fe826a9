// The device operations. Each opens device 0, works and closes it within the
// call; every D2XX step but the closes on failure paths sets the last status.
#include <array>
#include <cstring>
#include <optional>

#include "ftd2xx.h"
#include "romgate.h"
#include "staging.h"

using namespace kestrom::romgate;

namespace {

constexpr int kDevice = 0;
// Words saved before an erase: the configuration area of every part.
constexpr uint32_t kSavedWords = 128;
constexpr size_t kInfoSerialSize = 16;
constexpr size_t kInfoDescriptionSize = 64;

// Records a step's status; true when it succeeded.
bool step(FT_STATUS status) {
    staging().lastStatus = status;
    return status == FT_OK;
}

int32_t finish(FT_HANDLE handle) {
    return step(FT_Close(handle)) ? ROMGATE_OK : ROMGATE_CLOSE_FAILED;
}

int32_t abandon(FT_HANDLE handle, int32_t result) {
    FT_Close(handle);  // its status is neither kept nor reported
    return result;
}

using SavedImage = std::array<uint16_t, kSavedWords>;

// The EEPROM as it was, so a failed program does not leave the device blank.
std::optional<SavedImage> saveWords(FT_HANDLE handle) {
    SavedImage words{};
    for (uint32_t i = 0; i < kSavedWords; ++i) {
        if (FT_ReadEE(handle, i, &words[i]) != FT_OK) return std::nullopt;
    }
    return words;
}

void restoreWords(FT_HANDLE handle, const SavedImage &words) {
    for (uint32_t i = 0; i < kSavedWords; ++i) FT_WriteEE(handle, i, words[i]);
}

struct DeviceInfo {
    uint32_t type = 0;
    uint32_t id = 0;
    char serial[kInfoSerialSize] = {};
    char description[kInfoDescriptionSize] = {};
};

int32_t queryDevice(DeviceInfo &info) {
    FT_HANDLE handle = nullptr;
    if (!step(FT_Open(kDevice, &handle))) return ROMGATE_OPEN_FAILED;
    if (!step(FT_GetDeviceInfo(handle, &info.type, &info.id, info.serial, info.description, nullptr))) {
        return abandon(handle, ROMGATE_STEP_FAILED);
    }
    // The driver terminates both texts; make sure of it before they are copied on.
    info.serial[kInfoSerialSize - 1] = info.description[kInfoDescriptionSize - 1] = '\0';
    return finish(handle);
}

// What the chip is and holds at every address it sends.
bool readChip(FT_HANDLE handle, ROMGATE_CHIP &chip) {
    if (!step(FT_GetDeviceInfo(handle, &chip.type, &chip.id, chip.serial, chip.description, nullptr)))
        return false;
    chip.serial[sizeof chip.serial - 1] = chip.description[sizeof chip.description - 1] = '\0';
    for (uint32_t address = 0; address < ROMGATE_ADDRESSES; ++address) {
        if (!step(FT_ReadEE(handle, address, &chip.words[address]))) return false;
    }
    return true;
}

// Best effort after a failed program: every word that no longer reads as it did is
// written back (a 93C46's upper addresses read as its lower ones, so they follow).
void putBack(FT_HANDLE handle, const ROMGATE_CHIP &before) {
    for (uint32_t address = 0; address < ROMGATE_ADDRESSES; ++address) {
        uint16_t now = 0;
        if (FT_ReadEE(handle, address, &now) == FT_OK && now != before.words[address])
            FT_WriteEE(handle, address, before.words[address]);
    }
}

void copyOut(const char *text, char *buffer) {
    if (buffer != nullptr) std::memcpy(buffer, text, std::strlen(text) + 1);
}

}  // namespace

extern "C" {

int32_t ROMGATE_CALL FT_EE_READ_(void) {
    clearRecord();
    prepareHeader(0);
    Staging &s = staging();
    FT_HANDLE handle = nullptr;
    if (!step(FT_Open(kDevice, &handle))) return ROMGATE_OPEN_FAILED;
    if (!step(FT_EE_UASize(handle, &s.userAreaSize))) return abandon(handle, ROMGATE_PRELIMINARY_FAILED);
    if (!step(FT_EE_Read(handle, &s.record))) return abandon(handle, ROMGATE_STEP_FAILED);
    return finish(handle);
}

int32_t ROMGATE_CALL FT_EE_Program_(int32_t version) {
    prepareHeader(version == 1 || version == 2 ? static_cast<uint32_t>(version) : 0);
    FT_HANDLE handle = nullptr;
    if (!step(FT_Open(kDevice, &handle))) return ROMGATE_OPEN_FAILED;
    const std::optional<SavedImage> saved = saveWords(handle);
    if (!step(FT_EraseEE(handle))) return abandon(handle, ROMGATE_PRELIMINARY_FAILED);
    if (!step(FT_EE_Program(handle, &staging().record))) {
        // Best effort: put back what the EEPROM held; the failure stays the program step's.
        if (saved) restoreWords(handle, *saved);
        return abandon(handle, ROMGATE_STEP_FAILED);
    }
    return finish(handle);
}

int32_t ROMGATE_CALL FT_EE_ProgramInOneOpen_(int32_t version, ROMGATE_BEFORE_PROGRAM before,
                                             ROMGATE_AFTER_PROGRAM after, void *context) {
    prepareHeader(version == 1 || version == 2 ? static_cast<uint32_t>(version) : 0);
    FT_HANDLE handle = nullptr;
    if (!step(FT_Open(kDevice, &handle))) return ROMGATE_OPEN_FAILED;
    ROMGATE_CHIP held{};
    if (!readChip(handle, held)) return abandon(handle, ROMGATE_PRELIMINARY_FAILED);
    if (before != nullptr && before(context, &held) != 0) return abandon(handle, ROMGATE_REFUSED);
    // The erase and the program of FT_EE_Program_; the driver checks the erase
    // against the words it read in this open.
    const bool erased = step(FT_EraseEE(handle));
    const bool programmed = erased && step(FT_EE_Program(handle, &staging().record));
    const FT_STATUS status = staging().lastStatus;
    if (!programmed) putBack(handle, held);
    ROMGATE_CHIP now{};
    if (after != nullptr && readChip(handle, now)) after(context, &now);
    staging().lastStatus = status;  // the failed step's, not that of the read-back
    if (!erased) return abandon(handle, ROMGATE_PRELIMINARY_FAILED);
    if (!programmed) return abandon(handle, ROMGATE_STEP_FAILED);
    return finish(handle);
}

int32_t ROMGATE_CALL FT_EraseEE_(void) {
    FT_HANDLE handle = nullptr;
    if (!step(FT_Open(kDevice, &handle))) return ROMGATE_OPEN_FAILED;
    if (!step(FT_EraseEE(handle))) return abandon(handle, ROMGATE_PRELIMINARY_FAILED);
    return finish(handle);
}

int32_t ROMGATE_CALL FT_GetDeviceInfo_(char *serial, char *description) {
    DeviceInfo info;
    if (const int32_t result = queryDevice(info); result != ROMGATE_OK) return result;
    copyOut(info.serial, serial);
    copyOut(info.description, description);
    return ROMGATE_OK;
}

int32_t ROMGATE_CALL FT_GetFTDevice_(void) {
    DeviceInfo info;
    const int32_t result = queryDevice(info);
    return result == ROMGATE_OK ? static_cast<int32_t>(info.type) : result;
}

int32_t ROMGATE_CALL FT_GetDeviceID_(void) {
    DeviceInfo info;
    const int32_t result = queryDevice(info);
    return result == ROMGATE_OK ? static_cast<int32_t>(info.id) : result;
}

int32_t ROMGATE_CALL FT_EE_UASize_(void) {
    const Staging &s = staging();
    return s.lastStatus == FT_OK ? static_cast<int32_t>(s.userAreaSize) : -1;
}

int32_t ROMGATE_CALL FT_STATUS_(void) {
    return static_cast<int32_t>(staging().lastStatus);
}

}  // extern "C"
