// Plain-word reasons why a file could not be read or written, for the second line of an error
// message. Each looks at the file system after the failure; an empty text means no reason was
// found. Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace vk350 {

// A missing file or folder, or a file the user may not read.
std::string fileReadProblem(const std::string& path);

// A missing folder, a folder or file the user may not write, or a disk without room for bytes
// more (and a small margin).
std::string fileWriteProblem(const std::string& path, uint64_t bytes = 0);

// The second line of a message: the reason with the file's path in front, unless it names the
// file already.
std::string fileProblemLine(const std::string& path, const std::string& reason);

} // namespace vk350
