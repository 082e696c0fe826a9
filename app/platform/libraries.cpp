#include "libraries.h"

#include "program_folder.h"

namespace kestrom::platform {

Libraries &programLibraries() {
    static Libraries libraries(programFolder());
    return libraries;
}

}  // namespace kestrom::platform
