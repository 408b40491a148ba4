#include "bank_location.h"
#include "byte_files.h"
#include "dump_receiver.h"
#include "loopback_midi_driver.h"
#include "sample_dump.h"
#include "sysex_sender.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace vk350;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

Bytes dumpFor(int slot, const Bytes& machineSamples) {
    Bytes m(sampleDumpSize(machineSamples.size()));
    m.resize(buildSampleDump(slot, machineSamples, m));
    return m;
}

Bytes readAll(const fs::path& p) {
    Bytes b;
    std::string error;
    EXPECT_TRUE(cli::readBytes(p, b, error)) << error;
    return b;
}

void writeAll(const fs::path& p, const Bytes& b) {
    std::string error;
    ASSERT_TRUE(cli::writeBytes(p, b, error)) << error;
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "vk350-midi-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Runs the built tool; returns its exit status and everything it printed.
int tool(const std::string& args, std::string& output, const std::string& driver = "loopback") {
    const std::string command = "VK350_MIDI_DRIVER=" + driver + " " + VK350_TOOL + " " + args + " 2>&1";
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p)
        return -1;
    output.clear();
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
        output.append(buffer, n);
    const int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(DumpReceiver, WritesEachDumpAndPatternMessageToItsOwnFile) {
    TempFolder dir;
    LoopbackMidiDriver driver;
    cli::DumpReceiver receiver(driver, dir.path());
    EXPECT_EQ(receiver.open(1), kMidiBadDeviceId);
    ASSERT_EQ(receiver.open(0), kMidiOk);
    writeAll(dir / "rx0001-HH.syx", {0xF0, 0xF7}); // an earlier file is never overwritten

    std::vector<std::string> lines;
    std::string error;
    bool ok = false;
    std::thread run([&] { ok = receiver.run([&](const std::string& l) { lines.push_back(l); }, error); });

    const Bytes hh = dumpFor(3, randomBytes(16384, 1));
    Bytes hhBad = hh;
    hhBad[100] ^= 0x01;
    const Bytes pattern = {0xF0, 0x2A, 0x03, 0x01, 0x02, 0x10, 0x20, 0xF7};
    driver.inject(0, hh);
    driver.inject(0, {0xF0, 0x41, 0x10, 0x42, 0xF7}); // another maker's message
    driver.inject(0, {0xF0, 0x2A, 0x03, 0x01, 0x03, 0xF7});
    driver.inject(0, pattern);
    driver.inject(0, hhBad);
    driver.waitUntilDelivered(0);
    receiver.stop();
    run.join();

    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(receiver.messagesReceived(), 5);
    EXPECT_EQ(receiver.filesWritten(), 3);
    EXPECT_EQ(readAll(dir / "rx0001-HH.syx"), (Bytes{0xF0, 0xF7}));
    EXPECT_EQ(readAll(dir / "rx0002-HH.syx"), hh);
    EXPECT_EQ(readAll(dir / "rx0003-onepat.syx"), pattern);
    EXPECT_EQ(readAll(dir / "rx0004-HH.syx"), hhBad); // kept as it came, with its problem reported
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind(">RX Instr #3 Msg size =18738 Checksum =" + std::string(), 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "UFO Sysex Message !?!");
    EXPECT_EQ(lines[2], "ignored VK350 message of 6 bytes");
    EXPECT_EQ(lines[3].rfind("> Syx ONEPAT recu 8 -> ", 0), 0u) << lines[3];
    EXPECT_EQ(lines[4].rfind("Probleme de Checksum - Msg =", 0), 0u) << lines[4];
}

// A message the port does not take ends the send with the driver's code; nothing after it goes.
TEST(SysExSender, StopsAtTheFirstMessageThePortRefuses) {
    LoopbackMidiDriver driver;
    MidiOutput out(driver);
    out.SetUsing(true);
    const Bytes one = {0xF0, 0x01, 0xF7}, two = {0xF0, 0x02, 0x02, 0xF7}, three = {0xF0, 0x03, 0xF7};
    std::vector<std::string> lines;
    std::string error;
    const auto say = [&](const std::string& l) { lines.push_back(l); };

    driver.setFailingSends(0, 1, kMidiError);
    EXPECT_FALSE(cli::sendSysExMessages(out, {one, three}, 0, say, error));
    EXPECT_EQ(error, "message 1: not sent: MIDI output 0 'Loopback 1' reported code 1 (device failure); "
                     "the rest were not sent");
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(driver.backlog(0).empty()) << "the message after the refused one is not sent";

    ASSERT_TRUE(cli::sendSysExMessages(out, {one, std::span(two).first(2), two, three}, 0, say, error));
    EXPECT_EQ(lines,
              (std::vector<std::string>{"message 1: 3 bytes sent", "message 2: 2 bytes, too short: skipped",
                                        "message 3: 4 bytes sent", "message 4: 3 bytes sent"}));
    out.SetUsing(false);
    EXPECT_FALSE(cli::sendSysExMessages(out, {one}, 0, say, error));
    EXPECT_EQ(error, "message 1: not sent: MIDI output 0 'Loopback 1' reported code 5 (port not open)");
}

TEST(Vk350Tool, PackAndUnpackRoundTripThroughFiles) {
    TempFolder dir;
    std::string out;
    // Editor-form samples longer than the CB slot: cut to 64 K, of which 65535 bytes travel.
    const Bytes samples = randomBytes(70000, 2);
    writeAll(dir / "cb.bin", samples);
    ASSERT_EQ(tool("pack CB " + (dir / "cb.bin").string() + " " + (dir / "cb.syx").string(), out), 0) << out;
    EXPECT_NE(out.find("Adjust Size #7 Cut 4464 bytes"), std::string::npos) << out;
    const Bytes syx = readAll(dir / "cb.syx");
    ASSERT_EQ(syx.size(), kMaxDumpSize);
    EXPECT_EQ(syx[8], 11);

    ASSERT_EQ(tool("unpack " + (dir / "cb.syx").string() + " " + (dir / "back.bin").string(), out), 0) << out;
    EXPECT_EQ(readAll(dir / "back.bin"), Bytes(samples.begin(), samples.begin() + 65535));
    EXPECT_NE(out.find("slot CB (#7), 65535 bytes"), std::string::npos) << out;

    // A short sample is filled with zeros to its slot; slots by index work as by label.
    writeAll(dir / "p1.bin", {0x80, 0x81, 0x7F});
    ASSERT_EQ(tool("pack 9 " + (dir / "p1.bin").string() + " " + (dir / "p1.syx").string(), out), 0) << out;
    EXPECT_NE(out.find("Adjust Size  #9 Add 4093 bytes"), std::string::npos) << out;

    // Two dumps in one file give one file per slot.
    Bytes both = readAll(dir / "p1.syx");
    const Bytes bd = dumpFor(0, randomBytes(8192, 3));
    both.insert(both.end(), bd.begin(), bd.end());
    writeAll(dir / "both.syx", both);
    ASSERT_EQ(tool("unpack " + (dir / "both.syx").string() + " " + (dir / "bank.bin").string(), out), 0)
        << out;
    Bytes p1(4096, 0x00);
    p1[0] = 0x80;
    p1[1] = 0x81;
    p1[2] = 0x7F;
    EXPECT_EQ(readAll(dir / "bank_9.bin"), p1);
    EXPECT_EQ(readAll(dir / "bank_0.bin").size(), 8192u);
}

TEST(Vk350Tool, BadInputIsReportedAndDestroysNothing) {
    TempFolder dir;
    std::string out;
    writeAll(dir / "s.bin", randomBytes(100, 4));
    EXPECT_EQ(tool("pack XX " + (dir / "s.bin").string() + " " + (dir / "s.syx").string(), out), 2);
    EXPECT_NE(out.find("unknown slot 'XX'"), std::string::npos) << out;
    EXPECT_EQ(tool("pack BD " + (dir / "missing.bin").string() + " " + (dir / "s.syx").string(), out), 1);
    EXPECT_FALSE(fs::exists(dir / "s.syx"));

    // A dump with a bad checksum is named; the existing output file stays as it was.
    Bytes bad = dumpFor(1, randomBytes(16384, 5));
    bad[50] ^= 0x01;
    writeAll(dir / "bad.syx", bad);
    writeAll(dir / "keep.bin", {1, 2, 3});
    EXPECT_EQ(tool("unpack " + (dir / "bad.syx").string() + " " + (dir / "keep.bin").string(), out), 1);
    EXPECT_NE(out.find("Probleme de Checksum"), std::string::npos) << out;
    EXPECT_EQ(readAll(dir / "keep.bin"), (Bytes{1, 2, 3}));

    // A file with a broken message is not sent at all.
    writeAll(dir / "cut.syx", {0xF0, 0x01, 0xF7, 0xF0, 0x02});
    EXPECT_EQ(tool("send " + (dir / "cut.syx").string() + " --port 0", out), 1);
    EXPECT_NE(out.find("has no end (0xF7); nothing sent"), std::string::npos) << out;
    EXPECT_EQ(tool("send " + (dir / "cut.syx").string(), out), 2);
    EXPECT_EQ(tool("ports", out, "nosuch"), 2);
}

TEST(Vk350Tool, PortsAndSendOverTheLoopbackDriver) {
    TempFolder dir;
    std::string out;
    ASSERT_EQ(tool("ports", out), 0) << out;
    EXPECT_NE(out.find("inputs:\n  0  Loopback 1\noutputs:\n  0  Loopback 1\n"), std::string::npos) << out;

    Bytes two = dumpFor(4, randomBytes(4096, 6));
    two.insert(two.end(), {0xF0, 0x2A, 0x03, 0x01, 0x02, 0x00, 0xF7});
    writeAll(dir / "two.syx", two);
    ASSERT_EQ(tool("send " + (dir / "two.syx").string() + " --port 0 --delay 1", out), 0) << out;
    EXPECT_NE(out.find("message 1: 4695 bytes sent\nmessage 2: 7 bytes sent\n"), std::string::npos) << out;
    EXPECT_EQ(tool("send " + (dir / "two.syx").string() + " --port 1", out), 1);
    EXPECT_NE(out.find("no MIDI output port 1"), std::string::npos) << out;
}

TEST(Vk350Tool, Kvb9SetupOverTheLoopbackDriver) {
    std::string out;
    ASSERT_EQ(tool("kvb9 --port 0 --input 3 --merge", out), 0) << out;
    EXPECT_EQ(out, "sent CF 03\nsent BF 1F 01\n");
    ASSERT_EQ(tool("kvb9 --port 0", out), 0) << out;
    EXPECT_EQ(out, "sent CF 00\nsent BF 1F 00\n");
    EXPECT_EQ(tool("kvb9 --port 0 --input 8", out), 2);
    EXPECT_NE(out.find("bad --input value '8'"), std::string::npos) << out;
    EXPECT_EQ(tool("kvb9 --input 1", out), 2);
    EXPECT_EQ(tool("kvb9 --port 3", out), 1);
    EXPECT_NE(out.find("no MIDI output port 3"), std::string::npos) << out;
}

TEST(Vk350Tool, ReceiveStopsCleanlyOnInterrupt) {
    TempFolder dir;
    int errPipe[2];
    ASSERT_EQ(::pipe(errPipe), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    const std::string folder = (dir / "rx").string();
    const char* argv[] = {VK350_TOOL, "receive", "--port", "0", folder.c_str(), nullptr};
    ::setenv("VK350_MIDI_DRIVER", "loopback", 1);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, VK350_TOOL, &actions, nullptr, const_cast<char**>(argv), environ);
    ::unsetenv("VK350_MIDI_DRIVER");
    posix_spawn_file_actions_destroy(&actions);
    ::close(errPipe[1]);
    ASSERT_EQ(spawned, 0);

    // Interrupt only once the tool says it is listening.
    std::string err;
    char buffer[256];
    ssize_t n = 0;
    while (err.find("Ctrl+C stops") == std::string::npos &&
           (n = ::read(errPipe[0], buffer, sizeof buffer)) > 0)
        err.append(buffer, static_cast<size_t>(n));
    ASSERT_NE(err.find("Ctrl+C stops"), std::string::npos) << err;
    ::kill(pid, SIGINT);
    while ((n = ::read(errPipe[0], buffer, sizeof buffer)) > 0)
        err.append(buffer, static_cast<size_t>(n));
    ::close(errPipe[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << err;
    EXPECT_EQ(WEXITSTATUS(status), 0) << err;
    EXPECT_NE(err.find("0 messages received, 0 files written"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_directory(folder));
}
