#include "safe_file.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace vk350 {

namespace {

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;
// A long name leaves room for the temporary prefix and suffix within the usual 255-byte limit.
constexpr std::size_t kMaxTempLeaf = 200;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string leafOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool readLink(const std::string& path, std::string& target) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0)
            return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            target.assign(buffer.data(), static_cast<std::size_t>(n));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Follows symbolic links to the file they name; a link to a file that does not exist yet resolves
// to that file's name, so the save creates it where the link points.
bool resolveLinks(std::string path, std::string& resolved) {
    for (int hops = 0; hops < kMaxLinkHops; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            resolved = path;
            return true;
        }
        std::string link;
        if (!readLink(path, link))
            return false;
        path = (!link.empty() && link[0] == '/') ? link : folderOf(path) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

std::string randomSuffix() {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::minstd_rand random{std::random_device{}()};
    std::string s(6, ' ');
    for (char& c : s)
        c = kChars[random() % (sizeof kChars - 1)];
    return s;
}

} // namespace

SafeFile::~SafeFile() {
    abandon();
}

bool SafeFile::fail(const std::string& reason) {
    error_ = path_ + ": " + reason;
    return false;
}

bool SafeFile::open(const std::string& path) {
    abandon();
    error_.clear();
    path_ = path;
    target_ = path;
    if (path.empty())
        return fail("no file name");
    if (!resolveLinks(path, target_))
        return fail(std::strerror(errno));
    const std::string leaf = leafOf(target_);
    if (leaf.empty() || leaf == "." || leaf == "..")
        return fail("not a file name");

    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return fail(std::strerror(errno));
    if (exists) {
        if (S_ISDIR(st.st_mode))
            return fail("is a folder");
        if (!S_ISREG(st.st_mode))
            return fail("not a regular file");
        if (::access(target_.c_str(), W_OK) != 0)
            return fail(std::strerror(errno));
        // access() grants root everything; a file that nobody may write is still the user's
        // way of saying "keep this".
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return fail("read-only file");
    }

    // An existing target's mode is applied before any byte is written; until then the file is
    // private. A new file is created as any new file is, the umask deciding.
    const mode_t createMode = exists ? S_IRUSR | S_IWUSR : 0666;
    const std::string prefix = folderOf(target_) + "/." + leaf.substr(0, kMaxTempLeaf) + ".";
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        const std::string candidate = prefix + randomSuffix();
        fd_ = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (fd_ >= 0)
            temp_ = candidate;
        else if (errno != EEXIST)
            return fail(std::string("cannot create a file in its folder: ") + std::strerror(errno));
    }
    if (fd_ < 0)
        return fail("no free temporary name in its folder");

    struct stat own {};
    if (::fstat(fd_, &own) != 0) {
        const int e = errno;
        abandon();
        return fail(std::strerror(e));
    }
    device_ = own.st_dev;
    inode_ = own.st_ino;
    if (exists) {
        // Keeping the owner works only for root (or within one's own groups); otherwise the
        // saver owns the new file, as with any save that replaces a file.
        if ((st.st_uid != own.st_uid || st.st_gid != own.st_gid) &&
            ::fchown(fd_, st.st_uid, st.st_gid) != 0) {
        }
        if (::fchmod(fd_, st.st_mode & 07777) != 0) {
            const int e = errno;
            abandon();
            return fail(std::strerror(e));
        }
    }
    return true;
}

bool SafeFile::commit() {
    if (fd_ < 0)
        return fail("not open");
    // The data and the size are what a reader needs; the rename reaches the disk with the folder.
    if (!scratch_ && ::fdatasync(fd_) != 0) {
        const int e = errno;
        abandon();
        return fail(std::strerror(e));
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) {
        const int e = errno;
        abandon();
        return fail(std::strerror(e));
    }
    // Somebody else's file put in place of ours is never moved over the target.
    struct stat st {};
    if (::lstat(temp_.c_str(), &st) != 0 || st.st_dev != device_ || st.st_ino != inode_) {
        temp_.clear();
        return fail("the temporary file was replaced");
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int e = errno;
        abandon();
        return fail(std::strerror(e));
    }
    temp_.clear();
    if (scratch_)
        return true;
    // The rename itself reaches the disk with the folder; a failure here loses nothing.
    const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void SafeFile::abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (temp_.empty())
        return;
    struct stat st {};
    if (::lstat(temp_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
        ::unlink(temp_.c_str());
    temp_.clear();
}

bool writeAllBytes(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

namespace {

bool writeThrough(SafeFile& file, const std::string& path, const std::function<bool(int fd)>& write,
                  std::string* error) {
    bool ok = file.open(path);
    if (ok) {
        errno = 0;
        if (!write(file.fd())) {
            const int e = errno;
            file.abandon();
            if (error)
                *error = path + ": " + (e ? std::strerror(e) : "write failed");
            return false;
        }
        ok = file.commit();
    }
    if (!ok && error)
        *error = file.error();
    return ok;
}

} // namespace

bool safeWrite(const std::string& path, const std::function<bool(int fd)>& write, std::string* error) {
    SafeFile file;
    return writeThrough(file, path, write, error);
}

bool safeWriteBytes(const std::string& path, std::span<const std::uint8_t> bytes, std::string* error) {
    return safeWrite(
        path, [&](int fd) { return writeAllBytes(fd, bytes.data(), bytes.size()); }, error);
}

bool scratchWriteBytes(const std::string& path, std::span<const std::uint8_t> bytes, std::string* error) {
    SafeFile file;
    file.setScratch(true);
    return writeThrough(
        file, path, [&](int fd) { return writeAllBytes(fd, bytes.data(), bytes.size()); }, error);
}

} // namespace vk350
