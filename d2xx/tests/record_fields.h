// The program-data record's numeric fields, grouped by the chip layout that
// carries them, for tests that check whole records field by field.
#pragma once

// clang-format off
#define KESTROM_COMMON_FIELDS(X) X(VendorId) X(ProductId) X(MaxPower) X(PnP) X(SelfPowered) X(RemoteWakeup)
#define KESTROM_BM_FIELDS(X) X(IsoIn) X(IsoOut) X(PullDownEnable) X(SerNumEnable) X(USBVersionEnable) X(USBVersion)
#define KESTROM_2232C_FIELDS(X)                                                                            \
    X(IsoInA) X(IsoInB) X(IsoOutA) X(IsoOutB) X(PullDownEnable5) X(SerNumEnable5) X(USBVersionEnable5)     \
    X(USBVersion5) X(AIsHighCurrent) X(BIsHighCurrent) X(IFAIsFifo) X(IFAIsFifoTar) X(IFAIsFastSer)        \
    X(AIsVCP) X(IFBIsFifo) X(IFBIsFifoTar) X(IFBIsFastSer) X(BIsVCP)
#define KESTROM_232R_FIELDS(X)                                                                             \
    X(UseExtOsc) X(HighDriveIOs) X(EndpointSize) X(PullDownEnableR) X(SerNumEnableR) X(InvertTXD)          \
    X(InvertRXD) X(InvertRTS) X(InvertCTS) X(InvertDTR) X(InvertDSR) X(InvertDCD) X(InvertRI) X(Cbus0)     \
    X(Cbus1) X(Cbus2) X(Cbus3) X(Cbus4) X(RIsD2XX)
#define KESTROM_RECORD_FIELDS(X) \
    KESTROM_COMMON_FIELDS(X) X(Rev4) KESTROM_BM_FIELDS(X) X(Rev5) KESTROM_2232C_FIELDS(X) KESTROM_232R_FIELDS(X)
// clang-format on
