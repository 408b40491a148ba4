// Saving a file without ever losing the old one: the new bytes go to a temporary file of our own
// beside the target, which replaces the target in one rename once it is complete and on disk.
//
// The rules every save of the program and the tool follows:
// - a target that the user could not write (no write permission, or a file that nobody may
//   write, which even root should not replace behind the user's back) is refused and untouched;
// - a symbolic link is followed: its target is written, the link stays a link;
// - the temporary name is created exclusively, so no file of anybody else is ever overwritten,
//   and only the file created here is ever removed;
// - the new file keeps the old one's mode (a new file gets the usual 0666 less the umask);
// - the data is synced before the rename, unless the file is the program's own scratch file
//   (a work file made again whenever it is needed), whose loss in a crash costs nothing.
// Any thread, one object per save.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <sys/types.h>

namespace vk350 {

class SafeFile {
public:
    SafeFile() = default;
    // Abandons a save that was not committed.
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Resolves links in path, checks that the target may be replaced and creates the empty
    // temporary file. False, with error(), when the target is refused or nothing can be created.
    bool open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    // A scratch file is committed without the syncs; the other rules hold all the same.
    void setScratch(bool scratch) { scratch_ = scratch; }
    bool scratch() const { return scratch_; }

    // The temporary file: write through fd(), or reopen tempPath() for writing (it is the same
    // file) and close that handle again before commit.
    int fd() const { return fd_; }
    const std::string& tempPath() const { return temp_; }
    // The file that commit replaces: the path given, with every link resolved.
    const std::string& targetPath() const { return target_; }

    // Syncs the temporary file and renames it over the target. On failure the temporary file is
    // removed, the target stays as it was and error() says why.
    bool commit();
    // Removes the temporary file; the target stays as it was.
    void abandon();

    // "<path>: <reason>" for the last failure.
    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& reason);

    std::string path_; // as given, for the messages
    std::string target_;
    std::string temp_;
    std::string error_;
    int fd_ = -1;
    bool scratch_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

// Opens, lets write fill the temporary file through its descriptor, and commits. write returns
// false when it could not write everything; the old file then stays. False, with error set
// when given, when anything fails.
bool safeWrite(const std::string& path, const std::function<bool(int fd)>& write,
               std::string* error = nullptr);

// safeWrite of a block of bytes.
bool safeWriteBytes(const std::string& path, std::span<const std::uint8_t> bytes,
                    std::string* error = nullptr);
// safeWriteBytes of a scratch file: no sync.
bool scratchWriteBytes(const std::string& path, std::span<const std::uint8_t> bytes,
                       std::string* error = nullptr);

// Writes every byte to fd, retrying short writes and interruptions; false on an error.
bool writeAllBytes(int fd, const void* data, std::size_t size);

} // namespace vk350
