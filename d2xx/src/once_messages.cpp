#include "once_messages.h"

#include <cctype>
#include <cstdio>
#include <mutex>
#include <set>

namespace kestrom::d2xx {

void sayOnce(std::string message) {
    for (char &c : message) {
        if (std::iscntrl(static_cast<unsigned char>(c))) c = '?';
    }
    static std::mutex mutex;
    static std::set<std::string> said;
    std::lock_guard lock(mutex);
    if (!said.insert(message).second) return;
    std::fprintf(stderr, "libftd2xx: %s\n", message.c_str());
}

}  // namespace kestrom::d2xx
