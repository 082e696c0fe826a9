#include "image_file.h"

#include <cstdio>
#include <memory>
#include <system_error>

namespace kestrom::d2xx {
namespace {

using File = std::unique_ptr<FILE, int (*)(FILE *)>;

File openFile(const std::filesystem::path &path, const char *mode) {
    return File(std::fopen(path.c_str(), mode), &std::fclose);
}

}  // namespace

ImageFileState loadImageFile(const std::filesystem::path &file, size_t words, std::vector<uint16_t> &image) {
    image.assign(words, 0xFFFF);
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) return ImageFileState::Missing;
    if (error || status.type() != std::filesystem::file_type::regular) return ImageFileState::Unreadable;

    File stream = openFile(file, "rb");
    if (!stream) return ImageFileState::Unreadable;
    std::vector<unsigned char> bytes(words * 2);
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), stream.get());
    if (std::ferror(stream.get())) return ImageFileState::Unreadable;
    for (size_t i = 0; i + 1 < got; i += 2) {
        image[i / 2] = static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8);
    }
    return ImageFileState::Loaded;
}

bool saveImageFile(const std::filesystem::path &file, std::span<const uint16_t> image) {
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    std::vector<unsigned char> bytes;
    bytes.reserve(image.size() * 2);
    for (uint16_t word : image) {
        bytes.push_back(static_cast<unsigned char>(word & 0xFF));
        bytes.push_back(static_cast<unsigned char>(word >> 8));
    }

    File stream = openFile(temporary, "wb");
    if (!stream) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream.get()) == bytes.size();
    const bool closed = std::fclose(stream.release()) == 0;
    std::error_code error;
    if (written && closed) {
        std::filesystem::rename(temporary, file, error);
        if (!error) return true;
    }
    std::filesystem::remove(temporary, error);
    return false;
}

}  // namespace kestrom::d2xx
