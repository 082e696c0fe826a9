// The 72 field accessors, generated from the field list.
#include "romgate.h"
#include "staging.h"

#include <cstring>

using namespace kestrom::romgate;

namespace {

bool readersAnswer() { return staging().lastStatus == FT_OK; }
int32_t lastStatus() { return static_cast<int32_t>(staging().lastStatus); }

// Copies `text` into a buffer of `size` bytes, cut so no UTF-8 character is split.
template <size_t size>
void storeText(char (&buffer)[size], const char *text) {
    size_t length = text == nullptr ? 0 : strnlen(text, size);
    if (length == size) {
        length = size - 1;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    if (length > 0) std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

template <size_t size>
int32_t fetchText(const char (&buffer)[size], char *out) {
    if (!readersAnswer() || out == nullptr) return -1;
    std::memcpy(out, buffer, strnlen(buffer, size - 1) + 1);
    return 0;
}

}  // namespace

#define ROMGATE_DEFINE_TEXT_FIELD(name)                                       \
    int32_t ROMGATE_CALL GET_##name##_(char *buffer) {                         \
        return fetchText(staging().name, buffer);                              \
    }                                                                          \
    int32_t ROMGATE_CALL SET_##name##_(const char *text) {                     \
        storeText(staging().name, text);                                       \
        return lastStatus();                                                   \
    }
#define ROMGATE_DEFINE_NUMBER_FIELD(name, type)                               \
    int32_t ROMGATE_CALL GET_##name##_(void) {                                 \
        return readersAnswer() ? static_cast<int32_t>(staging().record.name) : -1; \
    }                                                                          \
    int32_t ROMGATE_CALL SET_##name##_(int32_t value) {                        \
        staging().record.name = static_cast<type>(value);                      \
        return lastStatus();                                                   \
    }
#define ROMGATE_DEFINE_WORD_FIELD(name) ROMGATE_DEFINE_NUMBER_FIELD(name, uint16_t)
#define ROMGATE_DEFINE_BYTE_FIELD(name) ROMGATE_DEFINE_NUMBER_FIELD(name, uint8_t)
#define ROMGATE_DEFINE_FIELD(kind, name) ROMGATE_DEFINE_##kind##_FIELD(name)

extern "C" {
ROMGATE_RECORD_FIELDS(ROMGATE_DEFINE_FIELD)
}

// The field list and the record must agree on every numeric field's width.
#define ROMGATE_CHECK_TEXT_FIELD(name)
#define ROMGATE_CHECK_WORD_FIELD(name) static_assert(sizeof(FT_PROGRAM_DATA::name) == 2, #name);
#define ROMGATE_CHECK_BYTE_FIELD(name) static_assert(sizeof(FT_PROGRAM_DATA::name) == 1, #name);
#define ROMGATE_CHECK_FIELD(kind, name) ROMGATE_CHECK_##kind##_FIELD(name)
ROMGATE_RECORD_FIELDS(ROMGATE_CHECK_FIELD)
