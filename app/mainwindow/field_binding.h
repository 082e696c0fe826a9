// Each record field's pair of accessors in the program's binding to libromgate,
// generated from the one field list.
#pragma once

#include <cstdint>

#include "editor_controls.h"
#include "romgate_binding.h"

namespace kestrom::mainwindow {

struct FieldAccessors {
    bool text;
    int32_t (platform::RomgateBinding::*getNumber)();
    int32_t (platform::RomgateBinding::*setNumber)(int32_t);
    int32_t (platform::RomgateBinding::*getText)(char *);
    int32_t (platform::RomgateBinding::*setText)(const char *);
};

const FieldAccessors &accessorsFor(Field field);

}  // namespace kestrom::mainwindow
