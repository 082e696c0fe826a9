// The 36 fields of the staging record that have accessors, listed once; shared
// by the library and the program.
// Each row: X(kind, name). Kinds: TEXT (a NUL-terminated buffer the record points
// to), WORD (16-bit), BYTE (8-bit). The accessors, their declarations and the
// tests are generated from this list.
#pragma once

#define ROMGATE_RECORD_FIELDS(X) \
    X(WORD, VendorId)            \
    X(WORD, ProductId)           \
    X(TEXT, Manufacturer)        \
    X(TEXT, ManufacturerId)      \
    X(TEXT, Description)         \
    X(TEXT, SerialNumber)        \
    X(WORD, MaxPower)            \
    X(WORD, PnP)                 \
    X(WORD, SelfPowered)         \
    X(WORD, RemoteWakeup)        \
    X(BYTE, Rev4)                \
    X(BYTE, IsoIn)               \
    X(BYTE, IsoOut)              \
    X(BYTE, PullDownEnable)      \
    X(BYTE, SerNumEnable)        \
    X(BYTE, USBVersionEnable)    \
    X(WORD, USBVersion)          \
    X(BYTE, Rev5)                \
    X(BYTE, IsoInA)              \
    X(BYTE, IsoInB)              \
    X(BYTE, IsoOutA)             \
    X(BYTE, IsoOutB)             \
    X(BYTE, PullDownEnable5)     \
    X(BYTE, SerNumEnable5)       \
    X(BYTE, USBVersionEnable5)   \
    X(WORD, USBVersion5)         \
    X(BYTE, AIsHighCurrent)      \
    X(BYTE, BIsHighCurrent)      \
    X(BYTE, IFAIsFifo)           \
    X(BYTE, IFAIsFifoTar)        \
    X(BYTE, IFAIsFastSer)        \
    X(BYTE, AIsVCP)              \
    X(BYTE, IFBIsFifo)           \
    X(BYTE, IFBIsFifoTar)        \
    X(BYTE, IFBIsFastSer)        \
    X(BYTE, BIsVCP)
