#include "field_binding.h"

namespace kestrom::mainwindow {

using platform::RomgateBinding;

namespace {

// In the record's order, as Field counts.
constexpr FieldAccessors kAccessors[] = {
#define KESTROM_TEXT_ACCESSORS(name) {true, nullptr, nullptr, &RomgateBinding::GET_##name##_, &RomgateBinding::SET_##name##_},
#define KESTROM_NUMBER_ACCESSORS(name) {false, &RomgateBinding::GET_##name##_, &RomgateBinding::SET_##name##_, nullptr, nullptr},
#define KESTROM_TEXT_FIELD(name) KESTROM_TEXT_ACCESSORS(name)
#define KESTROM_WORD_FIELD(name) KESTROM_NUMBER_ACCESSORS(name)
#define KESTROM_BYTE_FIELD(name) KESTROM_NUMBER_ACCESSORS(name)
#define KESTROM_FIELD(kind, name) KESTROM_##kind##_FIELD(name)
    ROMGATE_RECORD_FIELDS(KESTROM_FIELD)
#undef KESTROM_FIELD
#undef KESTROM_BYTE_FIELD
#undef KESTROM_WORD_FIELD
#undef KESTROM_TEXT_FIELD
#undef KESTROM_NUMBER_ACCESSORS
#undef KESTROM_TEXT_ACCESSORS
};
static_assert(std::size(kAccessors) == kFieldCount);

}  // namespace

const FieldAccessors &accessorsFor(Field field) {
    return kAccessors[static_cast<size_t>(field)];
}

}  // namespace kestrom::mainwindow
