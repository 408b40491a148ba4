// The safe writer: what a save leaves in its folder, for every kind of target a user may have.
#include "safe_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// One entry of a folder as a user sees it.
struct Entry {
    char kind = 'f'; // f file, d folder, l link
    std::string link;
    Bytes bytes;
    unsigned mode = 0;
    bool operator==(const Entry&) const = default;
};

using Snapshot = std::map<std::string, Entry>;

Bytes readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Snapshot snapshot(const fs::path& dir) {
    Snapshot s;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        struct stat st {};
        ::lstat(e.path().c_str(), &st);
        Entry entry;
        entry.mode = st.st_mode & 07777;
        if (S_ISLNK(st.st_mode)) {
            entry.kind = 'l';
            entry.link = fs::read_symlink(e.path()).string();
        } else if (S_ISDIR(st.st_mode)) {
            entry.kind = 'd';
        } else {
            entry.bytes = readAll(e.path());
        }
        s[e.path().lexically_relative(dir).string()] = entry;
    }
    return s;
}

void put(const fs::path& p, const Bytes& bytes, fs::perms mode = fs::perms(0644)) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    fs::permissions(p, mode);
}

const Bytes kOld = {'o', 'l', 'd'};
const Bytes kNew = {'n', 'e', 'w', 0, 0xFF};

enum class Writer { Completes, FailsHalfway, Throws };

struct Case {
    const char* name;
    std::function<void(const fs::path&)> setup;
    const char* save; // the name given to the writer
    Writer writer;
    const char* written; // the file that must hold the new bytes; nullptr: nothing may change
};

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vk350-safe-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        oldMask = ::umask(022);
    }
    void TearDown() override {
        ::umask(oldMask);
        fs::remove_all(dir);
    }
    fs::path dir;
    mode_t oldMask = 0;
};

} // namespace

TEST_F(SafeFileTest, EverySaveLeavesTheFolderAsAUserExpects) {
    const Case cases[] = {
        {"new file gets 0666 less the umask", [](const fs::path&) {}, "new.bin", Writer::Completes,
         "new.bin"},
        {"existing file keeps its mode", [](const fs::path& d) { put(d / "a.bin", kOld, fs::perms(0640)); },
         "a.bin", Writer::Completes, "a.bin"},
        {"private file stays private", [](const fs::path& d) { put(d / "a.bin", kOld, fs::perms(0600)); },
         "a.bin", Writer::Completes, "a.bin"},
        {"read-only file is refused", [](const fs::path& d) { put(d / "a.bin", kOld, fs::perms(0444)); },
         "a.bin", Writer::Completes, nullptr},
        {"a link is written through",
         [](const fs::path& d) {
             fs::create_directory(d / "real");
             put(d / "real" / "a.bin", kOld, fs::perms(0640));
             fs::create_symlink("real/a.bin", d / "link.bin");
         },
         "link.bin", Writer::Completes, "real/a.bin"},
        {"a link to a read-only file is refused",
         [](const fs::path& d) {
             put(d / "a.bin", kOld, fs::perms(0444));
             fs::create_symlink("a.bin", d / "link.bin");
         },
         "link.bin", Writer::Completes, nullptr},
        {"a link longer than the first read of it is written through",
         [](const fs::path& d) {
             put(d / "a.bin", kOld, fs::perms(0640));
             std::string target;
             for (int i = 0; i < 150; ++i)
                 target += "./";
             fs::create_symlink(target + "a.bin", d / "link.bin");
         },
         "link.bin", Writer::Completes, "a.bin"},
        {"a dangling link creates its target",
         [](const fs::path& d) { fs::create_symlink("made.bin", d / "link.bin"); }, "link.bin",
         Writer::Completes, "made.bin"},
        {"a link loop is refused",
         [](const fs::path& d) {
             fs::create_symlink("b", d / "a");
             fs::create_symlink("a", d / "b");
         },
         "a", Writer::Completes, nullptr},
        {"files beside the target are untouched",
         [](const fs::path& d) {
             put(d / "a.bin", kOld);
             put(d / "a.bin.part", {'p'});
             put(d / "a.bin.tmp", {'t'});
         },
         "a.bin", Writer::Completes, "a.bin"},
        {"a failure halfway keeps the old file", [](const fs::path& d) { put(d / "a.bin", kOld); }, "a.bin",
         Writer::FailsHalfway, nullptr},
        {"an exception halfway keeps the old file", [](const fs::path& d) { put(d / "a.bin", kOld); },
         "a.bin", Writer::Throws, nullptr},
        {"a folder is refused", [](const fs::path& d) { fs::create_directory(d / "a.bin"); }, "a.bin",
         Writer::Completes, nullptr},
        {"a missing folder is refused", [](const fs::path&) {}, "none/a.bin", Writer::Completes, nullptr},
    };
    // A work file skips the syncs and keeps every other rule.
    for (const bool scratch : {false, true})
        for (const Case& c : cases) {
            if (scratch && c.writer != Writer::Completes)
                continue;
            SCOPED_TRACE(std::string(c.name) + (scratch ? " (scratch)" : ""));
            fs::remove_all(dir);
            fs::create_directory(dir);
            c.setup(dir);
            const Snapshot before = snapshot(dir);
            const std::string path = (dir / c.save).string();
            std::string error;
            bool ok = false;
            auto write = [&](int fd) {
                const std::size_t half = c.writer == Writer::Completes ? kNew.size() : 2;
                if (!vk350::writeAllBytes(fd, kNew.data(), half))
                    return false;
                if (c.writer == Writer::Throws)
                    throw std::runtime_error("halfway");
                return c.writer == Writer::Completes;
            };
            if (scratch)
                ok = vk350::scratchWriteBytes(path, kNew, &error);
            else if (c.writer == Writer::Throws)
                EXPECT_THROW(vk350::safeWrite(path, write, &error), std::runtime_error);
            else
                ok = vk350::safeWrite(path, write, &error);

            Snapshot expected = before;
            if (c.written) {
                EXPECT_TRUE(ok) << error;
                Entry& e = expected[c.written];
                e.mode = before.count(c.written) ? before.at(c.written).mode : 0644;
                e.bytes = kNew;
            } else {
                EXPECT_FALSE(ok);
                if (c.writer == Writer::Completes) {
                    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
                }
            }
            EXPECT_EQ(snapshot(dir), expected);
        }
}

// The wave writer reopens the temporary file by name: the bytes it writes are what replaces the
// target, and the target's mode comes along.
TEST_F(SafeFileTest, ATemporaryFileReopenedByNameIsWhatCommitInstalls) {
    put(dir / "a.wav", kOld, fs::perms(0664));
    vk350::SafeFile file;
    ASSERT_TRUE(file.open((dir / "a.wav").string())) << file.error();
    EXPECT_EQ(fs::path(file.tempPath()).parent_path(), dir);
    std::FILE* f = std::fopen(file.tempPath().c_str(), "w+b");
    ASSERT_NE(f, nullptr);
    std::fwrite(kNew.data(), 1, kNew.size(), f);
    std::fclose(f);
    EXPECT_EQ(readAll(dir / "a.wav"), kOld) << "nothing changes before the commit";
    ASSERT_TRUE(file.commit()) << file.error();
    EXPECT_EQ(readAll(dir / "a.wav"), kNew);
    EXPECT_EQ(fs::status(dir / "a.wav").permissions(), fs::perms(0664));
    EXPECT_EQ(snapshot(dir).size(), 1u);

    // A temporary file that somebody replaced is neither installed nor removed.
    put(dir / "b.bin", kOld);
    ASSERT_TRUE(file.open((dir / "b.bin").string()));
    const std::string temp = file.tempPath();
    fs::remove(temp);
    put(temp, {'x'});
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(readAll(dir / "b.bin"), kOld);
    EXPECT_EQ(readAll(temp), Bytes{'x'});
}

// Temporary names are the hidden target name and six letters or digits: never a NUL that would
// cut the name short, nor a byte from past the alphabet. Two hundred names meet every letter of
// it many times over.
TEST_F(SafeFileTest, TemporaryNamesAreTheTargetAndSixLettersOrDigits) {
    const std::string prefix = (dir / ".a.bin.").string();
    for (int i = 0; i < 200; ++i) {
        vk350::SafeFile file;
        ASSERT_TRUE(file.open((dir / "a.bin").string())) << file.error();
        const std::string temp = file.tempPath();
        ASSERT_EQ(temp.size(), prefix.size() + 6) << temp;
        ASSERT_EQ(temp.substr(0, prefix.size()), prefix);
        for (const char c : temp.substr(prefix.size()))
            ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << int(c);
        EXPECT_TRUE(fs::exists(temp));
        file.abandon();
        EXPECT_FALSE(fs::exists(temp));
    }
}
