#include "file_problem.h"

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vk350 {

namespace {

// The folder a path names a file in; "." for a bare name.
fs::path folderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

std::string missingFolder(const std::string& path) {
    std::error_code ec;
    const fs::path folder = folderOf(path);
    if (fs::exists(folder, ec) && !fs::is_directory(folder, ec))
        return folder.string() + " is a file, not a folder";
    if (!fs::is_directory(folder, ec))
        return "The folder " + folder.string() + " does not exist";
    return {};
}

} // namespace

std::string fileReadProblem(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        const std::string folder = missingFolder(path);
        return folder.empty() ? "The file " + path + " does not exist" : folder;
    }
    if (fs::is_directory(status))
        return path + " is a folder, not a file";
    if (::access(path.c_str(), R_OK) != 0)
        return "No permission to read " + path;
    return {};
}

std::string fileWriteProblem(const std::string& path, uint64_t bytes) {
    if (std::string folder = missingFolder(path); !folder.empty())
        return folder;
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return path + " is a folder, not a file";
    // The save writes a new file beside the old one, so the folder must take a new file too.
    const fs::path folder = folderOf(path);
    // A file that nobody may write is refused by the safe writer even for root.
    const fs::file_status status = fs::status(path, ec);
    const bool exists = fs::exists(status);
    const bool nobodyWrites =
        exists && (status.permissions() & (fs::perms::owner_write | fs::perms::group_write |
                                           fs::perms::others_write)) == fs::perms::none;
    if (::access(folder.c_str(), W_OK) != 0 || nobodyWrites || (exists && ::access(path.c_str(), W_OK) != 0))
        return "No permission to write " + path;
    constexpr uint64_t kMargin = 64 * 1024;
    const fs::space_info space = fs::space(folder, ec);
    if (!ec && space.available < bytes + kMargin)
        return "The disk is full";
    return {};
}

std::string fileProblemLine(const std::string& path, const std::string& reason) {
    if (reason.find(path) != std::string::npos)
        return reason;
    return path + ": " + reason;
}

} // namespace vk350
