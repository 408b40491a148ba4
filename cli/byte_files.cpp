#include "byte_files.h"

#include "bounded_read.h"
#include "safe_file.h"

namespace vk350::cli {

bool readBytes(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::string& error) {
    return readBoundedFile(path.string(), bytes, error) == BoundedRead::Ok;
}

bool writeBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes, std::string& error) {
    return vk350::safeWriteBytes(path.string(), bytes, &error);
}

} // namespace vk350::cli
