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

#ifdef __cplusplus
}
#endif

#endif
