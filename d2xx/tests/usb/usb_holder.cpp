// usb_holder: another program of ours on the same bus. Opens device 0 through the
// D2XX calls, prints the status on a line of its own, and holds the device until
// its standard input closes (or it is killed). Exits with the status.
#include <unistd.h>

#include <cstdio>

#include "ftd2xx.h"

int main() {
    FT_HANDLE handle = nullptr;
    const FT_STATUS status = FT_Open(0, &handle);
    std::printf("%u\n", status);
    std::fflush(stdout);
    if (status != FT_OK) return static_cast<int>(status);
    char byte = 0;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return static_cast<int>(FT_Close(handle));
}
