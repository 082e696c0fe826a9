// virtual-chip: plugs one virtual FTDI chip into a private USB bus and runs a
// program on it, for a demo of the real USB path without hardware, e.g.
//
//   build/bin/virtual-chip --image examples/ft232bm.bin -- build/bin/kestrom --report
//
// Options (before "--"):
//   --chip AM|BM|2232C|232R|2232H|4232H|232H|X   the chip kind (default BM)
//   --words 64|128|256        the EEPROM part: 93C46, 93C56, 93C66 (default 64; 0 for none)
//   --image FILE              what the EEPROM holds (default: blank)
//   --save FILE               where its EEPROM goes when the program ends
//   --transfer-ms N           each control transfer takes N ms, as on a real bus
//   --refuse                  the device node refuses to open (EACCES), as without the udev
//                             rule (the program runs without root's file-permission override)
// It runs itself again under umockdev's preload library, which the program
// inherits. At the end it prints the control transfers the chip answered.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "testbed.h"

namespace {

using namespace kestrom::virtualchip;

int usage() {
    std::fprintf(stderr,
                 "usage: virtual-chip [--chip AM|BM|2232C|232R|2232H|4232H|232H|X] [--words 64|128|256] [--image FILE] [--save FILE]\n"
                 "                    [--transfer-ms N] [--refuse] -- PROGRAM [ARGUMENTS...]\n");
    return 2;
}

struct Options {
    ChipSpec spec;
    FaultPlan faults;
    std::string save;
    char **program = nullptr;
};

bool parse(int argc, char **argv, Options &options) {
    static const std::map<std::string, ChipKind> kinds{{"AM", ChipKind::FT8U232AM},
                                                       {"BM", ChipKind::FT232BM},
                                                       {"2232C", ChipKind::FT2232C},
                                                       {"232R", ChipKind::FT232R},
                                                       {"2232H", ChipKind::FT2232H},
                                                       {"4232H", ChipKind::FT4232H},
                                                       {"232H", ChipKind::FT232H},
                                                       {"X", ChipKind::FTX}};
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--") {
            options.program = i + 1 < argc ? argv + i + 1 : nullptr;
            return options.program != nullptr;
        }
        if (option == "--refuse") {
            options.faults.refuseNode();
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (option == "--chip" && kinds.count(value) != 0) {
            options.spec.kind = kinds.at(value);
        } else if (option == "--words" && (value == "0" || value == "64" || value == "128" || value == "256")) {
            options.spec.eepromWords = std::stoul(value);
        } else if (option == "--image") {
            options.spec.image = loadImage(value);
        } else if (option == "--save") {
            options.save = value;
        } else if (option == "--transfer-ms" && !value.empty() && value.find_first_not_of("0123456789") == value.npos) {
            options.faults.transferTime(std::chrono::milliseconds(std::stoul(value)));
        } else {
            return false;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    if (!Testbed::runUnderPreload(argv)) return 1;
    Options options;
    if (!parse(argc, argv, options)) return usage();
    unsetenv("FTD2XX_SIM");  // the program is to find the chip on USB

    Testbed bed;
    VirtualChip &chip = bed.plug(options.spec, options.faults);
    const pid_t child = fork();
    if (child == 0) {
        // A refused node refuses root as well: the program runs without the override.
        if (options.faults.refusesNode()) WithoutFileOverride::dropForChild();
        execvp(options.program[0], options.program);
        std::perror("virtual-chip: cannot run the program");
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);

    std::fprintf(stderr, "virtual-chip: %u control transfers:", chip.totalTransfers());
    for (const auto &[request, count] : chip.transferCounts()) std::fprintf(stderr, " %s %u", request.c_str(), count);
    std::fprintf(stderr, "; serial driver detached %u times\n", chip.driverDetaches());
    if (!options.save.empty() && !chip.saveEeprom(options.save)) {
        std::fprintf(stderr, "virtual-chip: cannot write %s\n", options.save.c_str());
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
