#include "romgate_binding.h"

#include <utility>

#include "ftd2xx.h"
#include "library_names.h"

namespace kestrom::platform {

namespace {

// One cache slot per export: each field's reader and writer, then the operations.
enum Slot : size_t {
#define KESTROM_SLOT(kind, name) kGet##name, kSet##name,
    ROMGATE_RECORD_FIELDS(KESTROM_SLOT)
#undef KESTROM_SLOT
        kEeRead,
    kEeProgram,
    kEeProgramInOneOpen,
    kEraseEe,
    kGetDeviceInfo,
    kGetFtDevice,
    kGetDeviceId,
    kEeUaSize,
    kStatus,
    kSlotCount
};

using Reader = int32_t(ROMGATE_CALL *)();
using TextReader = int32_t(ROMGATE_CALL *)(char *);
using Writer = int32_t(ROMGATE_CALL *)(int32_t);
using TextWriter = int32_t(ROMGATE_CALL *)(const char *);
using InfoQuery = int32_t(ROMGATE_CALL *)(char *, char *);
using ProgramInOneOpen = int32_t(ROMGATE_CALL *)(int32_t, ROMGATE_BEFORE_PROGRAM, ROMGATE_AFTER_PROGRAM,
                                                 void *);

constexpr int32_t kNoStatus = FT_DEVICE_NOT_FOUND;
constexpr int32_t kNoValue = -1;

}  // namespace

RomgateBinding::RomgateBinding(std::filesystem::path folder)
    : folder_(std::move(folder)),
      exports_(
          kSlotCount, [this](std::string &message) { return open(message); },
          [this](const char *name) { return library_.symbol(name); }) {}

// libromgate cannot load without the driver; when that is what the system could not
// find, the driver is the library named.
bool RomgateBinding::open(std::string &message) {
    const bool loaded = library_.load(folder_ / kRomgateFileName);
    message = library_.message();
    if (!loaded && message.find(std::string(kDriverFileName) + ":") != std::string::npos) {
        message = libraryMissingMessage(kDriverFileName);
    }
    return loaded;
}

#define KESTROM_DEFINE_TEXT_FIELD(name)                                                   \
    int32_t RomgateBinding::GET_##name##_(char *buffer) {                                 \
        return exports_.call<TextReader>(kGet##name, "GET_" #name "_", kNoValue, buffer); \
    }                                                                                     \
    int32_t RomgateBinding::SET_##name##_(const char *text) {                             \
        return exports_.call<TextWriter>(kSet##name, "SET_" #name "_", kNoStatus, text);  \
    }
#define KESTROM_DEFINE_NUMBER_FIELD(name)                                             \
    int32_t RomgateBinding::GET_##name##_() {                                         \
        return exports_.call<Reader>(kGet##name, "GET_" #name "_", kNoValue);         \
    }                                                                                 \
    int32_t RomgateBinding::SET_##name##_(int32_t value) {                            \
        return exports_.call<Writer>(kSet##name, "SET_" #name "_", kNoStatus, value); \
    }
#define KESTROM_DEFINE_WORD_FIELD(name) KESTROM_DEFINE_NUMBER_FIELD(name)
#define KESTROM_DEFINE_BYTE_FIELD(name) KESTROM_DEFINE_NUMBER_FIELD(name)
#define KESTROM_DEFINE_FIELD(kind, name) KESTROM_DEFINE_##kind##_FIELD(name)
ROMGATE_RECORD_FIELDS(KESTROM_DEFINE_FIELD)

int32_t RomgateBinding::FT_EE_READ_() {
    return exports_.call<Reader>(kEeRead, "FT_EE_READ_", ROMGATE_OPEN_FAILED);
}

int32_t RomgateBinding::FT_EE_Program_(int32_t version) {
    return exports_.call<Writer>(kEeProgram, "FT_EE_Program_", ROMGATE_OPEN_FAILED, version);
}

int32_t RomgateBinding::FT_EE_ProgramInOneOpen_(int32_t version, ROMGATE_BEFORE_PROGRAM before,
                                                ROMGATE_AFTER_PROGRAM after, void *context) {
    return exports_.call<ProgramInOneOpen>(kEeProgramInOneOpen, "FT_EE_ProgramInOneOpen_",
                                           ROMGATE_OPEN_FAILED, version, before, after, context);
}

int32_t RomgateBinding::FT_EraseEE_() {
    return exports_.call<Reader>(kEraseEe, "FT_EraseEE_", ROMGATE_OPEN_FAILED);
}

int32_t RomgateBinding::FT_GetDeviceInfo_(char *serial, char *description) {
    return exports_.call<InfoQuery>(kGetDeviceInfo, "FT_GetDeviceInfo_", ROMGATE_OPEN_FAILED, serial,
                                    description);
}

int32_t RomgateBinding::FT_GetFTDevice_() {
    return exports_.call<Reader>(kGetFtDevice, "FT_GetFTDevice_", ROMGATE_OPEN_FAILED);
}

int32_t RomgateBinding::FT_GetDeviceID_() {
    return exports_.call<Reader>(kGetDeviceId, "FT_GetDeviceID_", ROMGATE_OPEN_FAILED);
}

int32_t RomgateBinding::FT_EE_UASize_() {
    return exports_.call<Reader>(kEeUaSize, "FT_EE_UASize_", kNoValue);
}

int32_t RomgateBinding::FT_STATUS_() {
    return exports_.call<Reader>(kStatus, "FT_STATUS_", kNoStatus);
}

}  // namespace kestrom::platform
