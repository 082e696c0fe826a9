#include "export_table.h"

#include <utility>

namespace kestrom::platform {

ExportTable::ExportTable(size_t slots, Loader load, Finder find)
    : load_(std::move(load)), find_(std::move(find)), cache_(slots) {}

bool ExportTable::load() {
    const std::lock_guard lock(mutex_);
    if (!loaded_) loaded_ = load_(message_);
    return *loaded_;
}

ExportTable::Address ExportTable::resolve(size_t slot, const char *name) {
    const bool loaded = load();
    const std::lock_guard lock(mutex_);
    std::optional<Address> &entry = cache_.at(slot);
    if (!entry) entry = loaded ? find_(name) : nullptr;
    return *entry;
}

}  // namespace kestrom::platform
