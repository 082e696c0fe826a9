#include "vidpid_list.h"

#include <algorithm>
#include <optional>

namespace kestrom::d2xx {
namespace {

bool isSeparator(char c) {
    return c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<uint16_t> parseHex16(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > 4) return std::nullopt;
    unsigned value = 0;
    for (const char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<uint16_t>(value);
}

std::optional<UsbId> parsePair(std::string_view entry) {
    const size_t colon = entry.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto vendor = parseHex16(entry.substr(0, colon));
    const auto product = parseHex16(entry.substr(colon + 1));
    if (!vendor || !product || (*vendor == 0 && *product == 0)) return std::nullopt;
    return UsbId{*vendor, *product};
}

}  // namespace

std::vector<UsbId> parseVidPidList(std::string_view text) {
    std::vector<UsbId> ids;
    size_t pos = 0;
    while (pos < text.size()) {
        if (isSeparator(text[pos])) {
            ++pos;
            continue;
        }
        size_t end = pos;
        while (end < text.size() && !isSeparator(text[end])) ++end;
        const auto id = parsePair(text.substr(pos, end - pos));
        if (id && std::find(ids.begin(), ids.end(), *id) == ids.end()) ids.push_back(*id);
        pos = end;
    }
    return ids;
}

}  // namespace kestrom::d2xx
