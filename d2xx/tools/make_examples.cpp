// Builds the EEPROM images of the example devices with our own codec:
//   make-examples <folder>
// writes the .bin files that the .ini files in examples/ refer to.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "eeprom_codec.h"
#include "image_file.h"

namespace {

using namespace kestrom::d2xx;

struct Example {
    const char *file;
    uint32_t chip;
    size_t words;
    const char *description;
    const char *serial;
    void (*customize)(FT_PROGRAM_DATA &);
};

void ft232bm(FT_PROGRAM_DATA &f) {
    f.MaxPower = 90;
    f.SerNumEnable = 1;
    f.USBVersion = 0x0200;  // kept, but not announced (USBVersionEnable 0)
}

void ft2232c(FT_PROGRAM_DATA &f) {
    f.MaxPower = 100;
    f.SerNumEnable5 = 1;
    f.USBVersion5 = 0x0200;
    f.AIsVCP = 1;     // channel A: UART with the VCP driver
    f.IFBIsFifo = 1;  // channel B: 245 FIFO with D2XX
}

void ft232r(FT_PROGRAM_DATA &f) {
    f.MaxPower = 90;
    f.SerNumEnableR = 1;
    f.EndpointSize = 0x40;
    f.Cbus0 = 3;  // TXLED
    f.Cbus1 = 2;  // RXLED
    f.Cbus2 = 0;  // TXDEN
    f.Cbus3 = 1;  // PWRON
    f.Cbus4 = 5;  // SLEEP
}

void ft8u232am(FT_PROGRAM_DATA &f) {
    f.MaxPower = 100;
}

const Example kExamples[] = {
    {"ft232bm.bin", FT_DEVICE_BM, 64, "USB FTDI port", "QV000001", ft232bm},
    {"ft2232c.bin", FT_DEVICE_2232C, 128, "USB FTDI dual port", "QV000002", ft2232c},
    {"ft232r.bin", FT_DEVICE_232R, 64, "USB FTDI R port", "QV000003", ft232r},
    {"ft8u232am.bin", FT_DEVICE_AM, 64, "USB FTDI AM port", "QV000004", ft8u232am},
    {"two-devices-bm.bin", FT_DEVICE_BM, 64, "USB FTDI port", "QV000005", ft232bm},
    {"two-devices-2232c.bin", FT_DEVICE_2232C, 128, "USB FTDI dual port", "QV000006", ft2232c},
};

bool make(const Example &example, const std::filesystem::path &folder) {
    EepromContents contents = chipDefaults(example.chip);
    contents.fields.VendorId = 0x0403;
    contents.fields.ProductId = example.chip == FT_DEVICE_2232C ? 0x6010 : 0x6001;
    contents.fields.PnP = 1;
    contents.fields.SelfPowered = 0;
    contents.fields.RemoteWakeup = 0;
    contents.manufacturer = "FTDI";
    contents.description = example.description;
    contents.serialNumber = example.serial;
    example.customize(contents.fields);

    Image image(example.words, 0xFFFF);
    EepromContents check;
    if (encode(example.chip, contents, image) != FT_OK || decode(example.chip, image, check) != FT_OK ||
        check.description != contents.description || check.serialNumber != contents.serialNumber) {
        std::fprintf(stderr, "make-examples: cannot build %s\n", example.file);
        return false;
    }
    const auto path = folder / example.file;
    if (!saveImageFile(path, image)) {
        std::fprintf(stderr, "make-examples: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-examples <folder>\n");
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    bool ok = true;
    for (const auto &example : kExamples) ok = make(example, argv[1]) && ok;
    return ok ? 0 : 1;
}
