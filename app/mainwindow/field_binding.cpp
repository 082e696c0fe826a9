#include "field_binding.h"

#include <map>

namespace kestrom::mainwindow {

using platform::RomgateBinding;

const FieldAccessors *accessorsFor(std::string_view field) {
#define KESTROM_TEXT_ACCESSORS(name) \
    {#name, {true, nullptr, nullptr, &RomgateBinding::GET_##name##_, &RomgateBinding::SET_##name##_}},
#define KESTROM_NUMBER_ACCESSORS(name) \
    {#name, {false, &RomgateBinding::GET_##name##_, &RomgateBinding::SET_##name##_, nullptr, nullptr}},
#define KESTROM_TEXT_FIELD(name) KESTROM_TEXT_ACCESSORS(name)
#define KESTROM_WORD_FIELD(name) KESTROM_NUMBER_ACCESSORS(name)
#define KESTROM_BYTE_FIELD(name) KESTROM_NUMBER_ACCESSORS(name)
#define KESTROM_FIELD(kind, name) KESTROM_##kind##_FIELD(name)
    static const std::map<std::string_view, FieldAccessors> table{ROMGATE_RECORD_FIELDS(KESTROM_FIELD)};
#undef KESTROM_FIELD
#undef KESTROM_BYTE_FIELD
#undef KESTROM_WORD_FIELD
#undef KESTROM_TEXT_FIELD
#undef KESTROM_NUMBER_ACCESSORS
#undef KESTROM_TEXT_ACCESSORS
    const auto it = table.find(field);
    return it == table.end() ? nullptr : &it->second;
}

}  // namespace kestrom::mainwindow
