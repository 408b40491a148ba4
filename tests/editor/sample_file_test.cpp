#include "sample_buffer.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace vk350;

namespace {

class SampleFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("vk350_sample_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        buffer.OnRedraw = [this] { ++redraws; };
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path path = dir / name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    static std::vector<std::uint8_t> Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::vector<std::uint8_t> Pattern(std::size_t n) {
        std::vector<std::uint8_t> v(n);
        for (std::size_t i = 0; i < n; ++i)
            v[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
        return v;
    }

    fs::path dir;
    SampleBuffer buffer;
    int redraws = 0;
};

} // namespace

TEST_F(SampleFileTest, AFileLongerThanMaxYieldsMaxBytes) {
    const auto bytes = Pattern(600000);
    const std::string name = Write("long.bin", bytes);
    ASSERT_TRUE(buffer.LoadFromFile(name, true, 0));
    EXPECT_EQ(buffer.GetSampleLen(), 524288);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 524288, buffer.GetData()));
    EXPECT_EQ(redraws, 1);
}

TEST_F(SampleFileTest, LoadingFromAnOffsetZeroesTheRestUpToMax) {
    buffer.GetData()[50] = 77;
    buffer.GetData()[600] = 77;
    buffer.SetMax(500);
    redraws = 0;
    const auto bytes = Pattern(100);
    ASSERT_TRUE(buffer.LoadFromFile(Write("short.bin", bytes), false, 44));
    EXPECT_EQ(buffer.GetSampleLen(), 56);
    EXPECT_TRUE(std::equal(bytes.begin() + 44, bytes.end(), buffer.GetData()));
    EXPECT_EQ(buffer.GetData()[56], 0);
    EXPECT_EQ(buffer.GetData()[499], 0);
    EXPECT_EQ(buffer.GetData()[600], 77) << "nothing written at or past Max";
    EXPECT_EQ(redraws, 0);
}

TEST_F(SampleFileTest, BadLoadsChangeNothing) {
    buffer.GetData()[0] = 42;
    buffer.SetSampleLen(10);
    const std::string name = Write("ten.bin", Pattern(10));
    EXPECT_FALSE(buffer.LoadFromFile((dir / "missing.bin").string(), true, 0));
    EXPECT_FALSE(buffer.LoadFromFile(name, true, 10));
    EXPECT_FALSE(buffer.LoadFromFile(name, true, 11));
    EXPECT_FALSE(buffer.LoadFromFile(name, true, -1));
    EXPECT_FALSE(buffer.LoadFromFile(Write("empty.bin", {}), true, 0));
    EXPECT_FALSE(buffer.LoadFromFile(dir.string(), true, 0)) << "a folder is no sample";
    EXPECT_EQ(buffer.GetSampleLen(), 10);
    EXPECT_EQ(buffer.GetData()[0], 42);
    EXPECT_EQ(redraws, 6) << "asked for, the redraw comes all the same";
}

TEST_F(SampleFileTest, SaveWritesTheSampleBytesOnlyAndReplacesTheOldFile) {
    const fs::path path = dir / "out.bin";
    EXPECT_FALSE(buffer.SaveToFile(path.string())) << "an empty sample writes no file";
    EXPECT_FALSE(fs::exists(path));

    const auto bytes = Pattern(1000);
    Write("out.bin", Pattern(5000));
    buffer.LoadFromBuffer(bytes.data(), 1000);
    buffer.SetSampleLen(700);
    ASSERT_TRUE(buffer.SaveToFile(path.string()));
    EXPECT_EQ(Read(path), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 700));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "no work file left";

    // A save that cannot complete keeps the old file.
    EXPECT_FALSE(buffer.SaveToFile((dir / "no-such-folder" / "x.bin").string()));
}

// The user's files around a save: a read-only target is refused, a link is written through, a
// file that happens to carry the old work-file name stays, and the mode is kept.
TEST_F(SampleFileTest, SaveRespectsTheUsersFiles) {
    const auto bytes = Pattern(300);
    buffer.LoadFromBuffer(bytes.data(), 300);
    buffer.SetSampleLen(300);

    Write("locked.bin", Pattern(3));
    fs::permissions(dir / "locked.bin", fs::perms(0444));
    EXPECT_FALSE(buffer.SaveToFile((dir / "locked.bin").string()));
    EXPECT_EQ(Read(dir / "locked.bin"), Pattern(3));
    EXPECT_EQ(fs::status(dir / "locked.bin").permissions(), fs::perms(0444));

    Write("kick.bin", Pattern(4));
    fs::permissions(dir / "kick.bin", fs::perms(0600));
    Write("kick.bin.part", Pattern(5));
    fs::create_symlink("kick.bin", dir / "link.bin");
    ASSERT_TRUE(buffer.SaveToFile((dir / "link.bin").string()));
    EXPECT_TRUE(fs::is_symlink(dir / "link.bin"));
    EXPECT_EQ(Read(dir / "kick.bin"), bytes);
    EXPECT_EQ(fs::status(dir / "kick.bin").permissions(), fs::perms(0600));
    EXPECT_EQ(Read(dir / "kick.bin.part"), Pattern(5));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4);
}
