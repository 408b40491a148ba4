#include "byte_files.h"

#include "safe_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace vk350::cli {

namespace {
// No raw sample or dump file comes near this; a larger file was named by mistake.
constexpr std::uintmax_t kMaxFileSize = 64u * 1024 * 1024;
} // namespace

bool readBytes(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path.string() + ": is a folder";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = path.string() + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    uint8_t block[65536];
    size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) {
        bytes.insert(bytes.end(), block, block + n);
        if (bytes.size() > kMaxFileSize) {
            std::fclose(f);
            error = path.string() + ": larger than 64 MiB, not a sample or dump file";
            return false;
        }
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        error = path.string() + ": read error";
        return false;
    }
    return true;
}

bool writeBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes, std::string& error) {
    return vk350::safeWriteBytes(path.string(), bytes, &error);
}

} // namespace vk350::cli
