// The program's binding to libromgate: loaded by name from the program folder,
// each export bound by name at its first call.
//
// While the library or one of its exports is unavailable, the call answers as if
// no device had answered: a device operation -2 (the device could not be opened),
// a reader and FT_EE_UASize_ -1 (a text reader leaves the buffer alone), a writer
// and FT_STATUS_ FT_DEVICE_NOT_FOUND (2). Nothing is stored then.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "export_table.h"
#include "romgate.h"
#include "shared_library.h"

namespace kestrom::platform {

class RomgateBinding {
public:
    explicit RomgateBinding(std::filesystem::path folder);
    RomgateBinding(const RomgateBinding &) = delete;
    RomgateBinding &operator=(const RomgateBinding &) = delete;

    // Loads the library now; false with message() when it cannot be loaded.
    bool load() { return exports_.load(); }
    const std::string &message() const { return exports_.message(); }

#define KESTROM_BIND_TEXT_FIELD(name)    \
    int32_t GET_##name##_(char *buffer); \
    int32_t SET_##name##_(const char *text);
#define KESTROM_BIND_NUMBER_FIELD(name) \
    int32_t GET_##name##_();            \
    int32_t SET_##name##_(int32_t value);
#define KESTROM_BIND_WORD_FIELD(name) KESTROM_BIND_NUMBER_FIELD(name)
#define KESTROM_BIND_BYTE_FIELD(name) KESTROM_BIND_NUMBER_FIELD(name)
#define KESTROM_BIND_FIELD(kind, name) KESTROM_BIND_##kind##_FIELD(name)
    ROMGATE_RECORD_FIELDS(KESTROM_BIND_FIELD)
#undef KESTROM_BIND_FIELD
#undef KESTROM_BIND_BYTE_FIELD
#undef KESTROM_BIND_WORD_FIELD
#undef KESTROM_BIND_NUMBER_FIELD
#undef KESTROM_BIND_TEXT_FIELD

    int32_t FT_EE_READ_();
    int32_t FT_EE_Program_(int32_t version);
    int32_t FT_EE_ProgramInOneOpen_(int32_t version, ROMGATE_BEFORE_PROGRAM before,
                                    ROMGATE_AFTER_PROGRAM after, void *context);
    int32_t FT_EraseEE_();
    int32_t FT_GetDeviceInfo_(char *serial, char *description);
    int32_t FT_GetFTDevice_();
    int32_t FT_GetDeviceID_();
    int32_t FT_EE_UASize_();
    int32_t FT_STATUS_();

private:
    bool open(std::string &message);

    std::filesystem::path folder_;
    SharedLibrary library_;
    ExportTable exports_;
};

}  // namespace kestrom::platform
