// Whole-file reads with a ceiling: no raw sample, dump or pattern file comes near it, so a larger
// input (a disk image, /dev/zero) was named by mistake and is refused before it fills the memory.
// Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vk350 {

inline constexpr std::uintmax_t kMaxInputFileBytes = 64u * 1024 * 1024;

enum class BoundedRead { Ok, CannotOpen, Folder, TooLarge, ReadError };

// Reads the whole file into bytes. Anything but Ok leaves a message naming the file in error
// ("<path>: is a folder", "<path>: larger than 64 MiB, not a sample or dump file", ...).
BoundedRead readBoundedFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

} // namespace vk350
