/* romgate: one staging copy of an FTDI configuration EEPROM, its field
 * accessors and the device operations on device 0. A flat C interface with
 * 32-bit integer arguments and results; __stdcall on Windows. */
#ifndef KESTROM_ROMGATE_H
#define KESTROM_ROMGATE_H

#include <stdint.h>

#include "romgate_fields.h"

#ifdef _WIN32
#define ROMGATE_CALL __stdcall
#ifdef KESTROM_BUILDING_ROMGATE
#define ROMGATE_API __declspec(dllexport)
#else
#define ROMGATE_API __declspec(dllimport)
#endif
#else
#define ROMGATE_CALL
#define ROMGATE_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of the device operations; FT_STATUS_ then names the D2XX cause. */
enum {
    ROMGATE_OK = 0,
    ROMGATE_CLOSE_FAILED = -1,
    ROMGATE_OPEN_FAILED = -2,
    ROMGATE_STEP_FAILED = -3,
    ROMGATE_PRELIMINARY_FAILED = -4,
    ROMGATE_REFUSED = -5 /* the caller's check said no: nothing was written */
};

/* Field accessors. A reader answers -1 while the last status is not 0; a text
 * reader then leaves the caller's buffer alone, otherwise it copies the stored
 * text with its NUL (up to 68 bytes). A writer stores the value (its low 16 or
 * 8 bits; a text cut to its buffer at a character boundary) and returns the
 * last status. Text buffers hold 36 (Manufacturer), 20 (ManufacturerId),
 * 68 (Description) and 20 (SerialNumber) bytes with the NUL. */
#define ROMGATE_DECLARE_TEXT(name)                                \
    ROMGATE_API int32_t ROMGATE_CALL GET_##name##_(char *buffer); \
    ROMGATE_API int32_t ROMGATE_CALL SET_##name##_(const char *text);
#define ROMGATE_DECLARE_NUMBER(name)                      \
    ROMGATE_API int32_t ROMGATE_CALL GET_##name##_(void); \
    ROMGATE_API int32_t ROMGATE_CALL SET_##name##_(int32_t value);
#define ROMGATE_DECLARE_TEXT_FIELD(name) ROMGATE_DECLARE_TEXT(name)
#define ROMGATE_DECLARE_WORD_FIELD(name) ROMGATE_DECLARE_NUMBER(name)
#define ROMGATE_DECLARE_BYTE_FIELD(name) ROMGATE_DECLARE_NUMBER(name)
#define ROMGATE_DECLARE_FIELD(kind, name) ROMGATE_DECLARE_##kind##_FIELD(name)
ROMGATE_RECORD_FIELDS(ROMGATE_DECLARE_FIELD)

/* Device operations on device 0: each opens, works and closes within the call. */
ROMGATE_API int32_t ROMGATE_CALL FT_EE_READ_(void);
ROMGATE_API int32_t ROMGATE_CALL FT_EE_Program_(int32_t version);
ROMGATE_API int32_t ROMGATE_CALL FT_EraseEE_(void);
/* serial: at least 16 bytes; description: at least 64 bytes. */
ROMGATE_API int32_t ROMGATE_CALL FT_GetDeviceInfo_(char *serial, char *description);
ROMGATE_API int32_t ROMGATE_CALL FT_GetFTDevice_(void);
ROMGATE_API int32_t ROMGATE_CALL FT_GetDeviceID_(void);

/* What device 0 is and holds, read in the open a program writes it in: every
 * address the chip sends (a 93C46 answers word 64 with word 0). */
#define ROMGATE_ADDRESSES 256
typedef struct ROMGATE_CHIP {
    uint32_t type; /* D2XX device type */
    uint32_t id;   /* VID << 16 | PID */
    char serial[16];
    char description[64];
    uint16_t words[ROMGATE_ADDRESSES];
} ROMGATE_CHIP;
/* Before anything is written: 0 lets the program go on, anything else stops it. */
typedef int32_t(ROMGATE_CALL *ROMGATE_BEFORE_PROGRAM)(void *context, const ROMGATE_CHIP *before);
/* After the program, failed or not: the chip as its read-back found it. */
typedef void(ROMGATE_CALL *ROMGATE_AFTER_PROGRAM)(void *context, const ROMGATE_CHIP *after);

/* FT_EE_Program_ in one open that also serves the caller's backup: device 0 is
 * opened (-2), identified and read whole (-4), shown to `before` (ROMGATE_REFUSED
 * when it says no), erased (-4) and programmed from the staging record, every word
 * read back (-3; after either failure the words read are put back as far as the
 * chip takes them), read again and shown to `after` (either may be null), and
 * closed (-1). The last status is that of the step that failed. */
ROMGATE_API int32_t ROMGATE_CALL FT_EE_ProgramInOneOpen_(int32_t version, ROMGATE_BEFORE_PROGRAM before,
                                                         ROMGATE_AFTER_PROGRAM after, void *context);

/* Stored state: the user-area size of the last read (-1 while the last status
 * is not 0) and the last D2XX status. */
ROMGATE_API int32_t ROMGATE_CALL FT_EE_UASize_(void);
ROMGATE_API int32_t ROMGATE_CALL FT_STATUS_(void);

#ifdef __cplusplus
}
#endif

#endif
