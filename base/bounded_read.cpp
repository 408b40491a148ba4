#include "bounded_read.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace vk350 {

BoundedRead readBoundedFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = path + ": is a folder";
        return BoundedRead::Folder;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": " + std::strerror(errno);
        return BoundedRead::CannotOpen;
    }
    std::uint8_t block[65536];
    std::size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) {
        bytes.insert(bytes.end(), block, block + n);
        if (bytes.size() > kMaxInputFileBytes) {
            std::fclose(f);
            bytes.clear();
            error = path + ": larger than 64 MiB, not a sample or dump file";
            return BoundedRead::TooLarge;
        }
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        bytes.clear();
        error = path + ": read error";
        return BoundedRead::ReadError;
    }
    return BoundedRead::Ok;
}

} // namespace vk350
