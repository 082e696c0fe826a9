// A library loaded at run time and its exports found by name, through QLibrary.
// It is loaded by the full path of the file meant: Qt's own search for other
// prefixes, suffixes and folders never stands in for it, so the message names the
// file that was looked for and a folder without it really lacks it.
#pragma once

#include <QLibrary>
#include <filesystem>
#include <string>

#include "export_table.h"

namespace kestrom::platform {

class SharedLibrary {
public:
    SharedLibrary();
    SharedLibrary(const SharedLibrary &) = delete;
    SharedLibrary &operator=(const SharedLibrary &) = delete;
    ~SharedLibrary();

    // Loads `file`; false with message() when it cannot: "library <name> Not found ..."
    // when there is no such file, else the system's own words about it.
    bool load(const std::filesystem::path &file);
    // Loads `fileName` from wherever the system's search for libraries finds it, a
    // library of that name already loaded included; message() stays as it was.
    bool loadFromSearchPath(const char *fileName);

    // The export `name`, or null when no library is loaded or it lacks the name.
    ExportTable::Address symbol(const char *name);
    const std::string &message() const { return message_; }

private:
    QLibrary library_;
    std::string message_;
};

}  // namespace kestrom::platform
