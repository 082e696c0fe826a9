// A copy of libromgate loaded from a folder of its own: an instance apart from the
// one the tests link, whose state no test has touched, as in a program just started.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

class FreshRomgate {
public:
    FreshRomgate() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrom-fresh-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        folder_ = pattern;
        const std::filesystem::path copy = folder_ / std::filesystem::path(ROMGATE_FILE).filename();
        std::filesystem::copy_file(ROMGATE_FILE, copy);
        handle_ = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    ~FreshRomgate() {
        if (handle_ != nullptr) dlclose(handle_);
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }
    FreshRomgate(const FreshRomgate &) = delete;
    FreshRomgate &operator=(const FreshRomgate &) = delete;

    bool loaded() const { return handle_ != nullptr; }

    // The copy's export `name` as a `Function`; null when it has none.
    template <typename Function>
    Function get(const std::string &name) const {
        return reinterpret_cast<Function>(dlsym(handle_, name.c_str()));
    }

private:
    std::filesystem::path folder_;
    void *handle_ = nullptr;
};
