#include "program_folder.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#endif

namespace kestrom::platform {

std::filesystem::path programFolder() {
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
        path.resize(path.size() * 2);
    }
    path.resize(length);
    return std::filesystem::path(path).parent_path();
#else
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
#endif
}

}  // namespace kestrom::platform
