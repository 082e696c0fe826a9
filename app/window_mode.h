// The program with its window.
#pragma once

namespace kestrom {

// Opens the main window on device 0 and runs until it is closed; the exit code.
int runWindow(int &argc, char **argv);

}  // namespace kestrom
