// "vk350 render" end to end: the tool runs the renderer, which writes a PNG whose bright pixels
// sit where the file's sound puts them; bad command lines get one line and status 2.
#include "run_command.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

namespace {

void Put(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.put(char((v >> (8 * i)) & 0xFF));
}

// One second of 16-bit mono at 44100 Hz: a 5512.5 Hz sine peaking at exactly 16384 (-6.02 dB of
// full scale) for the first half, silence after it.
void WriteFixture(const std::string& path) {
    const std::uint32_t frames = 44100;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    Put(out, 36 + frames * 2, 4);
    out.write("WAVEfmt ", 8);
    Put(out, 16, 4);
    Put(out, 1, 2);
    Put(out, 1, 2);
    Put(out, 44100, 4);
    Put(out, 88200, 4);
    Put(out, 2, 2);
    Put(out, 16, 2);
    out.write("data", 4);
    Put(out, frames * 2, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double v = i < frames / 2 ? 16384.0 * std::sin(std::numbers::pi * i / 4.0) : 0.0;
        Put(out, std::uint32_t(std::int32_t(std::lround(v))) & 0xFFFF, 2);
    }
}

int Brightness(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return qRed(p) + qGreen(p) + qBlue(p);
}

} // namespace

TEST(RenderCommand, PicturesShowTheSoundWhereItIs) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string wav = dir.filePath("tone.wav").toStdString();
    WriteFixture(wav);
    const std::string png = dir.filePath("out.png").toStdString();
    struct Case {
        const char* args;
        QSize size;
        std::function<void(const QImage&)> check;
    };
    const Case cases[] = {
        // Bin 16 of 64 bars over 504 columns: around column 129; bin 40 around 319 stays dark.
        {"spectrum", QSize(504, 194),
         [](const QImage& p) {
             EXPECT_GT(Brightness(p, 129, 191), 300);
             EXPECT_EQ(Brightness(p, 319, 191), 0);
         }},
        {"spectrum --size 256x100", QSize(256, 100),
         [](const QImage& p) {
             EXPECT_GT(Brightness(p, 66, 97), 300);
             EXPECT_EQ(Brightness(p, 170, 97), 0);
         }},
        // In the silent half the trace lies on the middle row.
        {"scope --at 0.75", QSize(200, 194),
         [](const QImage& p) {
             EXPECT_EQ(p.pixel(100, 97) & 0xFFFFFF, 0x00FFFFu);
             EXPECT_NE(p.pixel(100, 20) & 0xFFFFFF, 0x00FFFFu);
         }},
        // The whole second: 5512.5 Hz on rows 143 and 144 of the left half, dark on the right.
        {"spectrogram", QSize(424, 194),
         [](const QImage& p) {
             EXPECT_GT(Brightness(p, 42, 144), 200);
             EXPECT_EQ(Brightness(p, 372, 144), 0);
             EXPECT_EQ(Brightness(p, 42, 20), 0);
         }},
        // -6.02 dB on the stored meter: spot 223 (at row 526 - 2 * 223) lit red, 224 unlit maroon.
        {"level --at 0.1", QSize(30, 526),
         [](const QImage& p) {
             EXPECT_EQ(p.pixel(6, 80) & 0xFFFFFF, 0xFF0000u);
             EXPECT_EQ(p.pixel(6, 78) & 0xFFFFFF, 0x800000u);
             EXPECT_EQ(p.pixel(6, 524) & 0xFFFFFF, 0x00FF00u);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        QFile::remove(QString::fromStdString(png));
        const CommandResult r = runCommand(std::string(VK350_TOOL) + " render " + c.args + " " +
                                               shellQuote(wav) + " " + shellQuote(png),
                                           true);
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out, "");
        QImage picture(QString::fromStdString(png));
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), c.size);
        c.check(picture);
    }
}

// Installed, the tool finds the renderer in the libexec folder beside its bin folder, whatever
// the prefix; without it, it says so.
TEST(RenderCommand, InstalledToolFindsItsRenderer) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string wav = dir.filePath("tone.wav").toStdString();
    WriteFixture(wav);
    const QString bin = dir.filePath("prefix/bin");
    const QString libexec = dir.filePath("prefix/libexec/vk350");
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(libexec));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VK350_TOOL), bin + "/vk350"));
    const std::string tool = shellQuote((bin + "/vk350").toStdString());
    const std::string png = shellQuote(dir.filePath("out.png").toStdString());
    const CommandResult missing = runCommand(tool + " render scope " + shellQuote(wav) + " " + png, true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("vk350-render is not installed"), std::string::npos) << missing.out;
    ASSERT_TRUE(QFile::copy(QStringLiteral(VK350_RENDERER), libexec + "/vk350-render"));
    const CommandResult found = runCommand(tool + " render scope " + shellQuote(wav) + " " + png, true);
    EXPECT_EQ(found.status, 0) << found.out;
    EXPECT_EQ(QImage(dir.filePath("out.png")).size(), QSize(200, 194));
}

TEST(RenderCommand, BadCommandLinesAndFilesLeaveNoPicture) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string wav = dir.filePath("tone.wav").toStdString();
    WriteFixture(wav);
    const std::string png = dir.filePath("out.png").toStdString();
    const std::string q = shellQuote(wav);
    // Raw input is bounded like the tool's other inputs; a sparse file costs no disk.
    const std::string big = dir.filePath("big.bin").toStdString();
    std::filesystem::resize_file((std::ofstream(big), big), (64u << 20) + 1);
    struct Case {
        std::string args;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"", 2, "missing arguments"},
        {"spectrum " + q, 2, "missing arguments"},
        {"waterfall " + q + " OUT", 2, "unknown view 'waterfall'"},
        {"spectrum " + q + " " + shellQuote(dir.filePath("out.jpg").toStdString()), 2, "must end in .png"},
        {"spectrum " + q + " OUT --size 10x10", 2, "bad size '10x10'"},
        {"spectrum " + q + " OUT --size 300", 2, "bad size '300'"},
        {"scope " + q + " OUT --at -1", 2, "bad time '-1'"},
        {"scope " + q + " OUT --at", 2, "--at needs a value"},
        {"scope " + q + " OUT --rate 3999", 2, "bad rate '3999'"},
        {"scope " + q + " OUT --rate 100001", 2, "bad rate '100001'"},
        {"level " + q + " OUT --colour red", 2, "unknown option '--colour'"},
        {"level " + q + " OUT --at 5", 2, "past the end of the file"},
        {"spectrum " + shellQuote(dir.filePath("none.wav").toStdString()) + " OUT", 1, "cannot open"},
        {"scope " + shellQuote(dir.path().toStdString()) + " OUT", 1, ": is a folder"},
        {"spectrogram " + shellQuote(big) + " OUT", 1,
         "big.bin: larger than 64 MiB, not a sample or dump file"},
    };
    for (const Case& c : cases) {
        std::string args = c.args;
        if (const std::size_t at = args.find("OUT"); at != std::string::npos)
            args.replace(at, 3, shellQuote(png));
        SCOPED_TRACE(args);
        const CommandResult r = runCommand(std::string(VK350_TOOL) + " render " + args, true);
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
        if (c.status == 2 && std::string(c.says).find("past the end") == std::string::npos) {
            EXPECT_NE(r.out.find("usage: vk350 render VIEW FILE OUT.png"), std::string::npos) << r.out;
        }
        EXPECT_FALSE(QFile::exists(QString::fromStdString(png)));
    }
    const CommandResult help = runCommand(std::string(VK350_TOOL) + " render --help", false);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("spectrogram  the whole file"), std::string::npos);
}
