// Loads libromgate from the folder given and prints the outcome; a process of its
// own, so that no driver library is loaded already.
#include <cstdio>

#include "romgate_loader.h"

int main(int argc, char **argv) {
    if (argc != 2) return 2;
    kestrom::RomgateLibrary library;
    if (!library.load(argv[1])) {
        std::printf("%s\n", library.message().c_str());
        return 1;
    }
    std::printf("loaded\n");
    return 0;
}
