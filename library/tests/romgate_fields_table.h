// The 36 fields as a table for the tests, generated from the one field list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "romgate.h"

enum class FieldKind { Text, Word, Byte };

struct FieldAccess {
    const char *name;
    FieldKind kind;
    int32_t (*getNumber)();
    int32_t (*setNumber)(int32_t);
    int32_t (*getText)(char *);
    int32_t (*setText)(const char *);
};

#define ROMGATE_TEST_TEXT_FIELD(name) {#name, FieldKind::Text, nullptr, nullptr, GET_##name##_, SET_##name##_},
#define ROMGATE_TEST_WORD_FIELD(name) {#name, FieldKind::Word, GET_##name##_, SET_##name##_, nullptr, nullptr},
#define ROMGATE_TEST_BYTE_FIELD(name) {#name, FieldKind::Byte, GET_##name##_, SET_##name##_, nullptr, nullptr},
#define ROMGATE_TEST_FIELD(kind, name) ROMGATE_TEST_##kind##_FIELD(name)

inline const std::vector<FieldAccess> &allFields() {
    static const std::vector<FieldAccess> fields{ROMGATE_RECORD_FIELDS(ROMGATE_TEST_FIELD)};
    return fields;
}

// Bytes each text buffer holds, NUL included.
inline size_t textCapacity(const std::string &name) {
    if (name == "Manufacturer") return 36;
    if (name == "Description") return 68;
    return 20;  // ManufacturerId, SerialNumber
}

// Every field's value as its reader answers it, in list order: numbers in decimal.
inline std::vector<std::string> fieldValues() {
    std::vector<std::string> values;
    for (const FieldAccess &f : allFields()) {
        if (f.kind == FieldKind::Text) {
            char text[80] = "";
            f.getText(text);
            values.emplace_back(text);
        } else {
            values.push_back(std::to_string(f.getNumber()));
        }
    }
    return values;
}

// fieldValues() of a cleared record: every number 0, every text empty.
inline std::vector<std::string> clearedValues() {
    std::vector<std::string> values;
    for (const FieldAccess &f : allFields()) values.push_back(f.kind == FieldKind::Text ? "" : "0");
    return values;
}
