#include "handle_table.h"

namespace kestrom::d2xx {

FT_HANDLE HandleTable::add(std::unique_ptr<Device> device) {
    auto open = std::make_shared<HeldDevice>(std::move(device));
    const std::lock_guard lock(mutex_);
    const uintptr_t key = next_++;
    devices_.emplace(key, std::move(open));
    return reinterpret_cast<FT_HANDLE>(key);
}

std::shared_ptr<HeldDevice> HandleTable::find(FT_HANDLE handle) {
    const std::lock_guard lock(mutex_);
    const auto it = devices_.find(reinterpret_cast<uintptr_t>(handle));
    return it == devices_.end() ? nullptr : it->second;
}

std::shared_ptr<HeldDevice> HandleTable::take(FT_HANDLE handle) {
    const std::lock_guard lock(mutex_);
    const auto it = devices_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == devices_.end()) return nullptr;
    std::shared_ptr<HeldDevice> open = std::move(it->second);
    devices_.erase(it);
    return open;
}

HandleTable &handles() {
    static HandleTable table;
    return table;
}

}  // namespace kestrom::d2xx
