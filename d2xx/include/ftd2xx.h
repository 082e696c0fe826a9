/* Kestrom's D2XX-compatible driver interface.
 *
 * Names, prototypes, status numbers and device-type numbers match the D2XX API,
 * so a program built against this header also runs on the chip maker's own
 * library. Written from the published API facts; types are spelled with the
 * fixed-width C types that the D2XX DWORD/WORD/UCHAR stand for.
 */
#ifndef KESTROM_FTD2XX_H
#define KESTROM_FTD2XX_H

#include <stdint.h>

#ifdef _WIN32
#define FT_CALL __stdcall
#ifdef KESTROM_BUILDING_FTD2XX
#define FT_API __declspec(dllexport)
#else
#define FT_API __declspec(dllimport)
#endif
#else
#define FT_CALL
#define FT_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void *FT_HANDLE;
typedef uint32_t FT_STATUS;

enum {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_INVALID_BAUD_RATE = 7,
    FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
    FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
    FT_FAILED_TO_WRITE_DEVICE = 10,
    FT_EEPROM_READ_FAILED = 11,
    FT_EEPROM_WRITE_FAILED = 12,
    FT_EEPROM_ERASE_FAILED = 13,
    FT_EEPROM_NOT_PRESENT = 14,
    FT_EEPROM_NOT_PROGRAMMED = 15,
    FT_INVALID_ARGS = 16,
    FT_NOT_SUPPORTED = 17,
    FT_OTHER_ERROR = 18
};

/* Device type numbers. */
enum {
    FT_DEVICE_BM = 0,
    FT_DEVICE_AM = 1,
    FT_DEVICE_100AX = 2,
    FT_DEVICE_UNKNOWN = 3,
    FT_DEVICE_2232C = 4,
    FT_DEVICE_232R = 5,
    FT_DEVICE_2232H = 6,
    FT_DEVICE_4232H = 7,
    FT_DEVICE_232H = 8,
    FT_DEVICE_X_SERIES = 9
};

/* FT_ListDevices flags. */
#define FT_LIST_NUMBER_ONLY 0x80000000u
#define FT_LIST_BY_INDEX 0x40000000u
#define FT_LIST_ALL 0x20000000u
#define FT_OPEN_BY_SERIAL_NUMBER 1u
#define FT_OPEN_BY_DESCRIPTION 2u

/* The program-data record of FT_EE_Read and FT_EE_Program (version 2 layout).
 * Natural alignment: 88 bytes with 4-byte pointers, 104 with 8-byte ones. */
typedef struct ft_program_data {
    uint32_t Signature1; /* 0x00000000 */
    uint32_t Signature2; /* 0xFFFFFFFF */
    uint32_t Version;    /* 0 base, 1 adds the FT2232C fields, 2 adds the FT232R fields */
    uint16_t VendorId;
    uint16_t ProductId;
    char *Manufacturer;
    char *ManufacturerId;
    char *Description;
    char *SerialNumber;
    uint16_t MaxPower; /* mA */
    uint16_t PnP;
    uint16_t SelfPowered;
    uint16_t RemoteWakeup;
    /* FT2xxBM */
    uint8_t Rev4;
    uint8_t IsoIn;
    uint8_t IsoOut;
    uint8_t PullDownEnable;
    uint8_t SerNumEnable;
    uint8_t USBVersionEnable;
    uint16_t USBVersion;
    /* FT2232C (version 1) */
    uint8_t Rev5;
    uint8_t IsoInA;
    uint8_t IsoInB;
    uint8_t IsoOutA;
    uint8_t IsoOutB;
    uint8_t PullDownEnable5;
    uint8_t SerNumEnable5;
    uint8_t USBVersionEnable5;
    uint16_t USBVersion5;
    uint8_t AIsHighCurrent;
    uint8_t BIsHighCurrent;
    uint8_t IFAIsFifo;
    uint8_t IFAIsFifoTar;
    uint8_t IFAIsFastSer;
    uint8_t AIsVCP;
    uint8_t IFBIsFifo;
    uint8_t IFBIsFifoTar;
    uint8_t IFBIsFastSer;
    uint8_t BIsVCP;
    /* FT232R (version 2) */
    uint8_t UseExtOsc;
    uint8_t HighDriveIOs;
    uint8_t EndpointSize;
    uint8_t PullDownEnableR;
    uint8_t SerNumEnableR;
    uint8_t InvertTXD;
    uint8_t InvertRXD;
    uint8_t InvertRTS;
    uint8_t InvertCTS;
    uint8_t InvertDTR;
    uint8_t InvertDSR;
    uint8_t InvertDCD;
    uint8_t InvertRI;
    uint8_t Cbus0;
    uint8_t Cbus1;
    uint8_t Cbus2;
    uint8_t Cbus3;
    uint8_t Cbus4;
    uint8_t RIsD2XX;
} FT_PROGRAM_DATA, *PFT_PROGRAM_DATA;

/* The chip-specific EEPROM structures of FT_EEPROM_Read and FT_EEPROM_Program: the
 * common header, then the chip's own fields, in the order and with the types the
 * D2XX programmer's guide gives them. Flags read 1 when set (any non-zero value sets
 * them); drive currents are in mA (4, 8, 12 or 16); driver types are below. */
typedef uint32_t FT_DEVICE;

enum { FT_DRIVER_TYPE_D2XX = 0, FT_DRIVER_TYPE_VCP = 1 };

#define FT_DRIVE_CURRENT_4MA 4
#define FT_DRIVE_CURRENT_8MA 8
#define FT_DRIVE_CURRENT_12MA 12
#define FT_DRIVE_CURRENT_16MA 16

/* FT232R CBUS functions (CBUS4 takes 0-9 only). */
enum {
    FT_232R_CBUS_TXDEN = 0x00, FT_232R_CBUS_PWRON = 0x01, FT_232R_CBUS_RXLED = 0x02,
    FT_232R_CBUS_TXLED = 0x03, FT_232R_CBUS_TXRXLED = 0x04, FT_232R_CBUS_SLEEP = 0x05,
    FT_232R_CBUS_CLK48 = 0x06, FT_232R_CBUS_CLK24 = 0x07, FT_232R_CBUS_CLK12 = 0x08,
    FT_232R_CBUS_CLK6 = 0x09, FT_232R_CBUS_IOMODE = 0x0A, FT_232R_CBUS_BITBANG_WR = 0x0B,
    FT_232R_CBUS_BITBANG_RD = 0x0C
};

/* FT232H ACBUS functions (IOMODE on ACBUS5, 6, 8 and 9 only). */
enum {
    FT_232H_CBUS_TRISTATE = 0x00, FT_232H_CBUS_TXLED = 0x01, FT_232H_CBUS_RXLED = 0x02,
    FT_232H_CBUS_TXRXLED = 0x03, FT_232H_CBUS_PWREN = 0x04, FT_232H_CBUS_SLEEP = 0x05,
    FT_232H_CBUS_DRIVE_0 = 0x06, FT_232H_CBUS_DRIVE_1 = 0x07, FT_232H_CBUS_IOMODE = 0x08,
    FT_232H_CBUS_TXDEN = 0x09, FT_232H_CBUS_CLK30 = 0x0A, FT_232H_CBUS_CLK15 = 0x0B,
    FT_232H_CBUS_CLK7_5 = 0x0C
};

/* X-series CBUS functions. */
enum {
    FT_X_SERIES_CBUS_TRISTATE = 0x00, FT_X_SERIES_CBUS_TXLED = 0x01, FT_X_SERIES_CBUS_RXLED = 0x02,
    FT_X_SERIES_CBUS_TXRXLED = 0x03, FT_X_SERIES_CBUS_PWREN = 0x04, FT_X_SERIES_CBUS_SLEEP = 0x05,
    FT_X_SERIES_CBUS_DRIVE_0 = 0x06, FT_X_SERIES_CBUS_DRIVE_1 = 0x07, FT_X_SERIES_CBUS_IOMODE = 0x08,
    FT_X_SERIES_CBUS_TXDEN = 0x09, FT_X_SERIES_CBUS_CLK24 = 0x0A, FT_X_SERIES_CBUS_CLK12 = 0x0B,
    FT_X_SERIES_CBUS_CLK6 = 0x0C, FT_X_SERIES_CBUS_BCD_CHARGER = 0x0D, FT_X_SERIES_CBUS_BCD_CHARGER_N = 0x0E,
    FT_X_SERIES_CBUS_I2C_TXE = 0x0F, FT_X_SERIES_CBUS_I2C_RXF = 0x10, FT_X_SERIES_CBUS_VBUS_SENSE = 0x11,
    FT_X_SERIES_CBUS_BITBANG_WR = 0x12, FT_X_SERIES_CBUS_BITBANG_RD = 0x13, FT_X_SERIES_CBUS_TIMESTAMP = 0x14,
    FT_X_SERIES_CBUS_KEEP_AWAKE = 0x15
};

typedef struct ft_eeprom_header {
    FT_DEVICE deviceType; /* must be the connected chip's device type */
    uint16_t VendorId;
    uint16_t ProductId;
    uint8_t SerNumEnable;
    uint16_t MaxPower; /* mA */
    uint8_t SelfPowered;
    uint8_t RemoteWakeup;
    uint8_t PullDownEnable;
} FT_EEPROM_HEADER, *PFT_EEPROM_HEADER;

/* FT232B/FT245B (and the FT8U232AM): the header alone. */
typedef struct ft_eeprom_232b {
    FT_EEPROM_HEADER common;
} FT_EEPROM_232B, *PFT_EEPROM_232B;

typedef struct ft_eeprom_2232 {
    FT_EEPROM_HEADER common;
    uint8_t AIsHighCurrent;
    uint8_t BIsHighCurrent;
    uint8_t AIsFifo;
    uint8_t AIsFifoTar;
    uint8_t AIsFastSer;
    uint8_t BIsFifo;
    uint8_t BIsFifoTar;
    uint8_t BIsFastSer;
    uint8_t ADriverType;
    uint8_t BDriverType;
} FT_EEPROM_2232, *PFT_EEPROM_2232;

typedef struct ft_eeprom_232r {
    FT_EEPROM_HEADER common;
    uint8_t IsHighCurrent;
    uint8_t UseExtOsc;
    uint8_t InvertTXD;
    uint8_t InvertRXD;
    uint8_t InvertRTS;
    uint8_t InvertCTS;
    uint8_t InvertDTR;
    uint8_t InvertDSR;
    uint8_t InvertDCD;
    uint8_t InvertRI;
    uint8_t Cbus0;
    uint8_t Cbus1;
    uint8_t Cbus2;
    uint8_t Cbus3;
    uint8_t Cbus4;
    uint8_t DriverType;
} FT_EEPROM_232R, *PFT_EEPROM_232R;

typedef struct ft_eeprom_2232h {
    FT_EEPROM_HEADER common;
    uint8_t ALSlowSlew;
    uint8_t ALSchmittInput;
    uint8_t ALDriveCurrent;
    uint8_t AHSlowSlew;
    uint8_t AHSchmittInput;
    uint8_t AHDriveCurrent;
    uint8_t BLSlowSlew;
    uint8_t BLSchmittInput;
    uint8_t BLDriveCurrent;
    uint8_t BHSlowSlew;
    uint8_t BHSchmittInput;
    uint8_t BHDriveCurrent;
    uint8_t AIsFifo;
    uint8_t AIsFifoTar;
    uint8_t AIsFastSer;
    uint8_t BIsFifo;
    uint8_t BIsFifoTar;
    uint8_t BIsFastSer;
    uint8_t PowerSaveEnable; /* BCBUS7 drives power saving */
    uint8_t ADriverType;
    uint8_t BDriverType;
} FT_EEPROM_2232H, *PFT_EEPROM_2232H;

typedef struct ft_eeprom_4232h {
    FT_EEPROM_HEADER common;
    uint8_t ASlowSlew;
    uint8_t ASchmittInput;
    uint8_t ADriveCurrent;
    uint8_t BSlowSlew;
    uint8_t BSchmittInput;
    uint8_t BDriveCurrent;
    uint8_t CSlowSlew;
    uint8_t CSchmittInput;
    uint8_t CDriveCurrent;
    uint8_t DSlowSlew;
    uint8_t DSchmittInput;
    uint8_t DDriveCurrent;
    uint8_t ARIIsTXDEN; /* the port's RI pin is its RS485 transmit enable */
    uint8_t BRIIsTXDEN;
    uint8_t CRIIsTXDEN;
    uint8_t DRIIsTXDEN;
    uint8_t ADriverType;
    uint8_t BDriverType;
    uint8_t CDriverType;
    uint8_t DDriverType;
} FT_EEPROM_4232H, *PFT_EEPROM_4232H;

typedef struct ft_eeprom_232h {
    FT_EEPROM_HEADER common;
    uint8_t ACSlowSlew;
    uint8_t ACSchmittInput;
    uint8_t ACDriveCurrent;
    uint8_t ADSlowSlew;
    uint8_t ADSchmittInput;
    uint8_t ADDriveCurrent;
    uint8_t Cbus0;
    uint8_t Cbus1;
    uint8_t Cbus2;
    uint8_t Cbus3;
    uint8_t Cbus4;
    uint8_t Cbus5;
    uint8_t Cbus6;
    uint8_t Cbus7;
    uint8_t Cbus8;
    uint8_t Cbus9;
    uint8_t FT1248Cpol;
    uint8_t FT1248Lsb;
    uint8_t FT1248FlowControl;
    uint8_t IsFifo;
    uint8_t IsFifoTar;
    uint8_t IsFastSer;
    uint8_t IsFT1248;
    uint8_t PowerSaveEnable;
    uint8_t DriverType;
} FT_EEPROM_232H, *PFT_EEPROM_232H;

typedef struct ft_eeprom_x_series {
    FT_EEPROM_HEADER common;
    uint8_t ACSlowSlew;
    uint8_t ACSchmittInput;
    uint8_t ACDriveCurrent;
    uint8_t ADSlowSlew;
    uint8_t ADSchmittInput;
    uint8_t ADDriveCurrent;
    uint8_t Cbus0;
    uint8_t Cbus1;
    uint8_t Cbus2;
    uint8_t Cbus3;
    uint8_t Cbus4;
    uint8_t Cbus5;
    uint8_t Cbus6;
    uint8_t InvertTXD;
    uint8_t InvertRXD;
    uint8_t InvertRTS;
    uint8_t InvertCTS;
    uint8_t InvertDTR;
    uint8_t InvertDSR;
    uint8_t InvertDCD;
    uint8_t InvertRI;
    uint8_t BCDEnable;
    uint8_t BCDForceCbusPWREN;
    uint8_t BCDDisableSleep;
    uint16_t I2CSlaveAddress;
    uint32_t I2CDeviceId;
    uint8_t I2CDisableSchmitt;
    uint8_t FT1248Cpol;
    uint8_t FT1248Lsb;
    uint8_t FT1248FlowControl;
    uint8_t RS485EchoSuppress;
    uint8_t PowerSaveEnable;
    uint8_t DriverType;
} FT_EEPROM_X_SERIES, *PFT_EEPROM_X_SERIES;

FT_API FT_STATUS FT_CALL FT_Open(int deviceNumber, FT_HANDLE *pHandle);
FT_API FT_STATUS FT_CALL FT_Close(FT_HANDLE ftHandle);
FT_API FT_STATUS FT_CALL FT_ListDevices(void *pArg1, void *pArg2, uint32_t Flags);
FT_API FT_STATUS FT_CALL FT_GetDeviceInfo(FT_HANDLE ftHandle, uint32_t *lpftDevice, uint32_t *lpdwID,
                                          char *SerialNumber, char *Description, void *Dummy);
FT_API FT_STATUS FT_CALL FT_EE_Read(FT_HANDLE ftHandle, PFT_PROGRAM_DATA pData);
FT_API FT_STATUS FT_CALL FT_EE_Program(FT_HANDLE ftHandle, PFT_PROGRAM_DATA pData);
FT_API FT_STATUS FT_CALL FT_EraseEE(FT_HANDLE ftHandle);
FT_API FT_STATUS FT_CALL FT_EE_UASize(FT_HANDLE ftHandle, uint32_t *lpdwSize);
FT_API FT_STATUS FT_CALL FT_ReadEE(FT_HANDLE ftHandle, uint32_t dwWordOffset, uint16_t *lpwValue);
FT_API FT_STATUS FT_CALL FT_WriteEE(FT_HANDLE ftHandle, uint32_t dwWordOffset, uint16_t wValue);
FT_API FT_STATUS FT_CALL FT_CreateDeviceInfoList(uint32_t *lpdwNumDevs);
/* The device at dwIndex as listed now: its type, VID<<16|PID, location (a number for
 * the port it sits in, 0 when unknown), serial number (16 bytes) and description (64). */
FT_API FT_STATUS FT_CALL FT_GetDeviceInfoDetail(uint32_t dwIndex, uint32_t *lpdwFlags, uint32_t *lpdwType,
                                                uint32_t *lpdwID, uint32_t *lpdwLocId, char *lpSerialNumber,
                                                char *lpDescription, FT_HANDLE *pftHandle);
/* Kestrom's own: the chip type of listed device dwIndex and where it is plugged in
 * (the USB port path such as "1-1.3", or a simulated device's section), NUL-terminated
 * into Port of PortSize bytes; FT_INSUFFICIENT_RESOURCES when it does not fit. */
FT_API FT_STATUS FT_CALL KT_GetDevicePort(uint32_t dwIndex, uint32_t *lpftDevice, char *Port, uint32_t PortSize);
/* Kestrom's own: where the device open on ftHandle is plugged in, as KT_GetDevicePort
 * tells it; a caller that opened by index learns whether it holds the board it listed. */
FT_API FT_STATUS FT_CALL KT_GetHandlePort(FT_HANDLE ftHandle, char *Port, uint32_t PortSize);
/* Kestrom's own: opens the device plugged in at Port (as KT_GetDevicePort tells it),
 * found and opened from one look at the bus, whatever index it has now.
 * \retval FT_OK                *pHandle is the open device
 * \retval FT_DEVICE_NOT_FOUND  no device is plugged in at Port
 * \retval FT_DEVICE_NOT_OPENED the device is there but cannot be opened (another
 *                              open holds it, or its node refuses the user)
 * \retval FT_INVALID_PARAMETER Port or pHandle is null
 */
FT_API FT_STATUS FT_CALL KT_OpenByPort(const char *Port, FT_HANDLE *pHandle);
/* Kestrom's own: the location of the device open on ftHandle, the number
 * FT_GetDeviceInfoDetail gives it in a listing, without looking at the bus again.
 * \retval FT_OK                *lpdwLocId is the location (0 when unknown)
 * \retval FT_INVALID_HANDLE    ftHandle is not open
 * \retval FT_INVALID_PARAMETER lpdwLocId is null
 */
FT_API FT_STATUS FT_CALL KT_GetHandleLocation(FT_HANDLE ftHandle, uint32_t *lpdwLocId);
/* Kestrom's own: one listed device's place, as KT_ListDevicePorts hands it out. */
#define KT_PORT_SIZE 256
typedef struct kt_device_port {
    uint32_t Index;          /* the device's index now, as FT_Open takes it */
    uint32_t Type;           /* its chip type, as KT_GetDevicePort tells it */
    char Port[KT_PORT_SIZE]; /* its port, as KT_GetDevicePort tells it, NUL-terminated */
} KT_DEVICE_PORT, *PKT_DEVICE_PORT;
/* Kestrom's own: every device listed now with its chip type and port, in index order,
 * from one look at the bus (KT_GetDevicePort once per index looks at the bus each time).
 * A device that goes while it is listed, or whose port does not fit Port, is left out:
 * the indices of the others stay as FT_Open takes them. Nothing is written past
 * Ports[Room - 1]; Ports may be null when Room is 0, to learn how many there are.
 * \retval FT_OK                     *lpdwCount devices filled in from Ports[0] on
 * \retval FT_INSUFFICIENT_RESOURCES Room is too small: *lpdwCount says how many are listed
 *                                   now, and Ports is left as it was
 * \retval FT_INVALID_PARAMETER      lpdwCount is null, or Ports is null while Room is not 0
 * \retval FT_OTHER_ERROR            the driver failed on its side (out of memory)
 */
FT_API FT_STATUS FT_CALL KT_ListDevicePorts(PKT_DEVICE_PORT Ports, uint32_t Room, uint32_t *lpdwCount);
/* eepromData: the connected chip's structure above, with common.deviceType set, and
 * eepromDataSize its size. Read: texts into buffers of 32, 16, 64 and 16 bytes
 * (Manufacturer, ManufacturerId, Description, SerialNumber). Program: NUL-terminated
 * texts that fit those buffers; ManufacturerId is not stored and may be null. */
FT_API FT_STATUS FT_CALL FT_EEPROM_Read(FT_HANDLE ftHandle, void *eepromData, uint32_t eepromDataSize,
                                        char *Manufacturer, char *ManufacturerId, char *Description,
                                        char *SerialNumber);
FT_API FT_STATUS FT_CALL FT_EEPROM_Program(FT_HANDLE ftHandle, void *eepromData, uint32_t eepromDataSize,
                                           char *Manufacturer, char *ManufacturerId, char *Description,
                                           char *SerialNumber);

#ifdef __cplusplus
}
#endif

#endif
