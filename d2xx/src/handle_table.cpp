#include "handle_table.h"

namespace kestrom::d2xx {

FT_HANDLE HandleTable::add(std::unique_ptr<Device> device) {
    const uintptr_t key = next_++;
    devices_.emplace(key, std::move(device));
    return reinterpret_cast<FT_HANDLE>(key);
}

Device *HandleTable::find(FT_HANDLE handle) {
    const auto it = devices_.find(reinterpret_cast<uintptr_t>(handle));
    return it == devices_.end() ? nullptr : it->second.get();
}

std::unique_ptr<Device> HandleTable::take(FT_HANDLE handle) {
    const auto it = devices_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == devices_.end()) return nullptr;
    std::unique_ptr<Device> device = std::move(it->second);
    devices_.erase(it);
    return device;
}

HandleTable &handles() {
    static HandleTable table;
    return table;
}

}  // namespace kestrom::d2xx
