// Whole-file reads and safe writes of raw bytes for the tool's commands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vk350::cli {

// Reads the whole file; on failure returns false with a message naming the file.
bool readBytes(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::string& error);

// Writes through the safe writer: a read-only target is refused, and an old file is never lost
// to a failed write. On failure returns false with a message naming the file.
bool writeBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes, std::string& error);

} // namespace vk350::cli
