// virtual-chip: plugs virtual FTDI chips into a private USB bus and runs a program
// on them, for a demo of the real USB path without hardware, e.g.
//
//   build/bin/virtual-chip --image examples/ft232bm.bin -- build/bin/kestrom --report
//
// Options (before "--"), each for the chip being described:
//   --chip AM|BM|2232C|232R|2232H|4232H|232H|X   the chip kind (default BM)
//   --words 64|128|256        the EEPROM part: 93C46, 93C56, 93C66 (default 64; 0 for none)
//   --image FILE              what the EEPROM holds (default: blank)
//   --save FILE               where its EEPROM goes when the program ends
//   --transfer-ms N           each control transfer takes N ms, as on a real bus
//   --write-ms N              each EEPROM word written takes N ms more (the part's write cycle)
//   --refuse                  the device node refuses to open (EACCES), as without the udev
//                             rule (the program runs without root's file-permission override)
//   --next                    plugs the chip described so far into the next port (1-1, 1-2,
//                             ...) and starts describing another, from the defaults
// It runs itself again under umockdev's preload library, which the program
// inherits. At the end it prints the control transfers each chip answered.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "testbed.h"

namespace {

using namespace kestrom::virtualchip;

int usage() {
    std::fprintf(stderr,
                 "usage: virtual-chip [--chip AM|BM|2232C|232R|2232H|4232H|232H|X] [--words 64|128|256] "
                 "[--image FILE]\n"
                 "                    [--save FILE] [--transfer-ms N] [--write-ms N] [--refuse]\n"
                 "                    [--next CHIP OPTIONS...] -- PROGRAM [ARGUMENTS...]\n");
    return 2;
}

struct Chip {
    ChipSpec spec;
    FaultPlan faults;
    std::string save;
};

struct Options {
    std::vector<Chip> chips{1};
    char **program = nullptr;
};

std::optional<std::chrono::milliseconds> milliseconds(const std::string &value) {
    if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != value.npos)
        return std::nullopt;
    return std::chrono::milliseconds(std::stoul(value));
}

bool parse(int argc, char **argv, Options &options) {
    static const std::map<std::string, ChipKind> kinds{
        {"AM", ChipKind::FT8U232AM}, {"BM", ChipKind::FT232BM},    {"2232C", ChipKind::FT2232C},
        {"232R", ChipKind::FT232R},  {"2232H", ChipKind::FT2232H}, {"4232H", ChipKind::FT4232H},
        {"232H", ChipKind::FT232H},  {"X", ChipKind::FTX}};
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        Chip &chip = options.chips.back();
        if (option == "--") {
            options.program = i + 1 < argc ? argv + i + 1 : nullptr;
            return options.program != nullptr;
        }
        if (option == "--refuse") {
            chip.faults.refuseNode();
            continue;
        }
        if (option == "--next") {
            options.chips.emplace_back();
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (option == "--chip" && kinds.count(value) != 0) {
            chip.spec.kind = kinds.at(value);
        } else if (option == "--words" &&
                   (value == "0" || value == "64" || value == "128" || value == "256")) {
            chip.spec.eepromWords = std::stoul(value);
        } else if (option == "--image") {
            chip.spec.image = loadImage(value);
        } else if (option == "--save") {
            chip.save = value;
        } else if (option == "--transfer-ms" && milliseconds(value)) {
            chip.faults.transferTime(*milliseconds(value));
        } else if (option == "--write-ms" && milliseconds(value)) {
            chip.faults.writeTime(*milliseconds(value));
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
    unsetenv("FTD2XX_SIM");  // the program is to find the chips on USB

    Testbed bed;
    std::vector<VirtualChip *> plugged;
    bool refused = false;
    for (const Chip &chip : options.chips) {
        plugged.push_back(&bed.plug(chip.spec, chip.faults));
        refused = refused || chip.faults.refusesNode();
    }
    const pid_t child = fork();
    if (child == 0) {
        // A refused node refuses root as well: the program runs without the override.
        if (refused) WithoutFileOverride::dropForChild();
        execvp(options.program[0], options.program);
        std::perror("virtual-chip: cannot run the program");
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);

    bool saved = true;
    for (size_t i = 0; i < plugged.size(); ++i) {
        const VirtualChip &chip = *plugged[i];
        std::fprintf(stderr, "virtual-chip %s: %u control transfers:", bed.sysName(chip).c_str(),
                     chip.totalTransfers());
        for (const auto &[request, count] : chip.transferCounts())
            std::fprintf(stderr, " %s %u", request.c_str(), count);
        std::fprintf(stderr, "; serial driver detached %u times\n", chip.driverDetaches());
        const std::string &save = options.chips[i].save;
        if (!save.empty() && !chip.saveEeprom(save)) {
            std::fprintf(stderr, "virtual-chip: cannot write %s\n", save.c_str());
            saved = false;
        }
    }
    if (!saved) return 1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
