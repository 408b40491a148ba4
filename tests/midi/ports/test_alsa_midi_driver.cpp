#include "alsa_midi_driver.h"
#include "loopback_midi_driver.h"
#include "midi_driver_factory.h"
#include "midi_input.h"
#include "midi_output.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

using namespace vk350;

namespace {

using Bytes = std::vector<uint8_t>;

// libasound, scripted: the cards hold the listed subdevices; each write takes what the next
// entry says (a byte count, or a negative errno), everything once the script is used up; reads
// take what the test put into a non-blocking pipe. Opens, mode changes, writes, drains, drops
// and closes are logged in order.
struct ScriptedRawMidi : AlsaMidiDriver::RawMidiApi {
    std::vector<Subdevice> listed;
    int openResult = 0;
    int nonblockResult = 0;
    std::deque<ssize_t> writes;
    int drainResult = 0;
    int closeResult = 0;
    Bytes wire;
    std::string calls;
    int device = -1;
    std::atomic<int> emptyReads{0};
    std::atomic<pthread_t> reader{};

    std::vector<Subdevice> subdevices() override { return listed; }
    int open(const std::string& name, bool input, snd_rawmidi_t** handle) override {
        calls += "open " + name + (input ? " in " : " out ");
        *handle = reinterpret_cast<snd_rawmidi_t*>(this);
        return openResult;
    }
    int nonblock(snd_rawmidi_t*, int nonblock) override {
        calls += "nonblock" + std::to_string(nonblock) + " ";
        return nonblockResult;
    }
    ssize_t write(snd_rawmidi_t*, const uint8_t* data, size_t size) override {
        calls += "w" + std::to_string(size) + " ";
        ssize_t n = static_cast<ssize_t>(size);
        if (!writes.empty()) {
            n = std::min(n, writes.front());
            writes.pop_front();
        }
        if (n > 0)
            wire.insert(wire.end(), data, data + n);
        return n;
    }
    int drain(snd_rawmidi_t*) override {
        calls += "d ";
        return drainResult;
    }
    int drop(snd_rawmidi_t*) override {
        calls += "x ";
        return 0;
    }
    int close(snd_rawmidi_t*) override {
        calls += "c ";
        return closeResult;
    }
    ssize_t read(snd_rawmidi_t*, uint8_t* data, size_t size) override {
        const ssize_t n = ::read(device, data, size);
        if (n >= 0)
            return n;
        ++emptyReads;
        return -errno;
    }
    int pollDescriptorsCount(snd_rawmidi_t*) override {
        reader = pthread_self();
        return 1;
    }
    int pollDescriptors(snd_rawmidi_t*, pollfd* fds, unsigned) override {
        fds[0] = {device, POLLIN, 0};
        return 1;
    }
};

snd_rawmidi_t* fakeHandle(ScriptedRawMidi& api) {
    return reinterpret_cast<snd_rawmidi_t*>(&api);
}

// A started input port over the scripted library, whose device is a pipe the test writes to; it
// keeps the last long message delivered.
struct ScriptedInput {
    ScriptedRawMidi api;
    int pipe[2] = {-1, -1};
    std::mutex mutex;
    std::condition_variable arrived;
    Bytes got;
    uint8_t memory[16] = {};
    MidiBuffer buffer{memory, sizeof memory, 0};
    std::unique_ptr<MidiInputPort> port;

    ScriptedInput() {
        if (::pipe2(pipe, O_NONBLOCK) != 0)
            return;
        api.device = pipe[0];
        MidiInputEvents events;
        events.onLong = [this](MidiBuffer& b) {
            std::lock_guard lock(mutex);
            got.assign(b.data, b.data + b.bytesRecorded);
            arrived.notify_all();
        };
        port = AlsaMidiDriver::inputPort(api, fakeHandle(api), events);
        if (!port)
            return;
        port->addBuffer(buffer);
        port->start();
    }
    ~ScriptedInput() {
        port.reset();
        ::close(pipe[0]);
        ::close(pipe[1]);
    }
    bool send(const Bytes& bytes) {
        return ::write(pipe[1], bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }
    // Polls until done() holds, for at most five seconds.
    template <class F> static bool waitFor(F done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return done();
    }
    // The message delivered, waiting up to five seconds for it; empty when none came.
    Bytes message() {
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, std::chrono::seconds(5), [&] { return !got.empty(); });
        return got;
    }
};

} // namespace

// Whatever hardware is present, an index past the list fails cleanly with a result code; on a
// machine without MIDI interfaces the lists are empty and the ports fail to open the same way.
TEST(AlsaMidiDriver, MissingDevicesFailCleanly) {
    AlsaMidiDriver driver;
    const int inputs = driver.inputCount();
    const int outputs = driver.outputCount();
    ASSERT_GE(inputs, 0);
    ASSERT_GE(outputs, 0);
    EXPECT_EQ(driver.inputName(inputs), "");
    EXPECT_EQ(driver.outputName(-1), "");
    EXPECT_EQ(driver.outputName(outputs), "");

    std::unique_ptr<MidiInputPort> in;
    EXPECT_EQ(driver.openInput(inputs, {}, in), kMidiBadDeviceId);
    EXPECT_EQ(in, nullptr);
    std::unique_ptr<MidiOutputPort> out;
    EXPECT_EQ(driver.openOutput(outputs, out), kMidiBadDeviceId);
    EXPECT_EQ(out, nullptr);

    if (inputs > 0 || outputs > 0)
        GTEST_SKIP() << "MIDI hardware present; the no-device path was checked by index only";
    MidiInput min(driver);
    MidiOutput mout(driver);
    EXPECT_EQ(min.NumDevs(), 0);
    EXPECT_EQ(mout.NumDevs(), 0);
    min.SetUsing(true);
    mout.SetUsing(true);
    EXPECT_EQ(min.OpenResult(), kMidiBadDeviceId);
    EXPECT_EQ(mout.OpenResult(), kMidiBadDeviceId);
    const uint8_t m[] = {0xF0, 0x01, 0xF7};
    mout.SysEx(m, 3); // returns at once: there is no device to wait for
    mout.ProgramChange(0, 1);
    min.SetUsing(false);
    mout.SetUsing(false);
    EXPECT_EQ(min.CloseResult(), kMidiInvalidHandle);
    EXPECT_EQ(mout.CloseResult(), kMidiInvalidHandle);
}

TEST(AlsaMidiDriver, ErrorsMapToResultCodes) {
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-ENOENT), kMidiBadDeviceId);
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-ENODEV), kMidiBadDeviceId);
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-EBUSY), kMidiAllocated);
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-ENOMEM), kMidiNoMemory);
    EXPECT_EQ(AlsaMidiDriver::resultFromError(-EIO), kMidiError);
}

// A long message goes out in blocks of 64 (small, so that a cut comes soon), each written until
// the device took all of it; the first error ends the message with its code, and only a
// complete one is drained and done.
TEST(AlsaMidiDriver, OutputWritesBlocksStopsAtTheFirstErrorAndDrains) {
    Bytes message(150);
    for (size_t i = 0; i < message.size(); ++i)
        message[i] = static_cast<uint8_t>(i % 251);
    struct Case {
        const char* what;
        std::deque<ssize_t> writes;
        int drainResult;
        int result;
        std::string calls;
        size_t wired;
    };
    const Case cases[] = {
        {"whole blocks", {}, 0, kMidiOk, "w64 w64 w22 d ", 150},
        {"partial", {10, 0, -EAGAIN, -EINTR}, 0, kMidiOk, "w64 w54 w54 w54 w54 w64 w22 d ", 150},
        {"error in the second block", {64, 7, -EIO}, 0, kMidiError, "w64 w64 w57 ", 71},
        {"unplugged", {-ENODEV}, 0, kMidiBadDeviceId, "w64 ", 0},
        {"drain fails", {}, -EIO, kMidiError, "w64 w64 w22 d ", 150},
    };
    for (const Case& c : cases) {
        ScriptedRawMidi api;
        api.writes = c.writes;
        api.drainResult = c.drainResult;
        auto port = AlsaMidiDriver::outputPort(api, fakeHandle(api));
        std::atomic<bool> done{false};
        EXPECT_EQ(port->sendLong(message.data(), message.size(), done), c.result) << c.what;
        EXPECT_EQ(done.load(), c.result == kMidiOk) << c.what;
        EXPECT_EQ(api.calls, c.calls) << c.what;
        EXPECT_EQ(api.wire, Bytes(message.begin(), message.begin() + c.wired)) << c.what;
    }
}

TEST(AlsaMidiDriver, OutputShortMessagesResetAndClose) {
    ScriptedRawMidi api;
    auto port = AlsaMidiDriver::outputPort(api, fakeHandle(api));
    EXPECT_EQ(port->sendShort(0xC5, 3, 9), kMidiOk);
    EXPECT_EQ(port->sendShort(0x05, 3, 9), kMidiInvalidParam);
    EXPECT_EQ(api.calls, "w2 ");
    // Reset drops what is pending, silences all 16 channels and waits for that to go out.
    api.calls.clear();
    api.wire.clear();
    EXPECT_EQ(port->reset(), kMidiOk);
    std::string calls = "x ";
    Bytes notesOff;
    for (uint8_t ch = 0; ch < 16; ++ch) {
        calls += "w3 ";
        notesOff.insert(notesOff.end(), {static_cast<uint8_t>(0xB0 + ch), 123, 0});
    }
    EXPECT_EQ(api.calls, calls + "d ");
    EXPECT_EQ(api.wire, notesOff);
    // Close drains first and happens once; its error becomes a result code.
    api.calls.clear();
    EXPECT_EQ(port->close(), kMidiOk);
    EXPECT_EQ(port->close(), kMidiInvalidHandle);
    port.reset();
    api.closeResult = -EBUSY;
    EXPECT_EQ(AlsaMidiDriver::outputPort(api, fakeHandle(api))->close(), kMidiAllocated);
    EXPECT_EQ(api.calls, "d c d c ");
    // A port dropped while open still lets go of its device.
    AlsaMidiDriver::outputPort(api, fakeHandle(api)).reset();
    EXPECT_EQ(api.calls, "d c d c c ");
}

// The reader goes back to waiting whenever the device runs dry, so a message that arrives in
// parts is still delivered whole.
TEST(AlsaMidiDriver, InputReadsWhatArrivesInPartsAndClosesOnce) {
    ScriptedInput in;
    ASSERT_NE(in.port, nullptr);
    ASSERT_TRUE(in.send({0xF0, 0x01, 0x02}));
    ASSERT_TRUE(in.waitFor([&] { return in.api.emptyReads > 0; }))
        << "the first part was never read to the end";
    ASSERT_TRUE(in.send({0x03, 0xF7}));
    EXPECT_EQ(in.message(), (Bytes{0xF0, 0x01, 0x02, 0x03, 0xF7}));
    EXPECT_EQ(in.port->close(), kMidiOk);
    EXPECT_EQ(in.port->close(), kMidiInvalidHandle);
    EXPECT_EQ(in.api.calls, "c ");
}

// A signal that interrupts the reader's wait (a debugger, a profiler, a handler of the program's
// own) is no reason to stop reading: what arrives afterwards is still delivered.
TEST(AlsaMidiDriver, InputGoesOnReadingAfterASignalInterruptsItsWait) {
    struct sigaction quiet {
    }, old{};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &quiet, &old), 0); // no SA_RESTART: poll fails with EINTR
    {
        ScriptedInput in;
        ASSERT_NE(in.port, nullptr);
        ASSERT_TRUE(in.waitFor([&] { return in.api.reader.load() != pthread_t{}; })) << "no reader";
        // Several, spread out, so that at least one lands while the reader waits.
        for (int i = 0; i < 10; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ::pthread_kill(in.api.reader.load(), SIGUSR1);
        }
        ASSERT_TRUE(in.send({0xF0, 0x01, 0x02, 0xF7}));
        EXPECT_EQ(in.message(), (Bytes{0xF0, 0x01, 0x02, 0xF7}));
    }
    ::sigaction(SIGUSR1, &old, nullptr);
}

TEST(AlsaMidiDriver, ListsSubdevicesAndOpensThemByIndex) {
    ScriptedRawMidi api;
    api.listed = {{"hw:1,0,0", true, 1, "UM-ONE", "UM-ONE MIDI 1"},
                  {"hw:1,0,0", false, 1, "UM-ONE", "UM-ONE MIDI 1"},
                  {"hw:2,0,1", false, 2, "MIDI4x4", "MIDI4x4 Port 2"},
                  {"hw:2,0,2", false, 2, "MIDI4x4", ""}};
    AlsaMidiDriver driver(api);
    ASSERT_EQ(driver.inputCount(), 1);
    ASSERT_EQ(driver.outputCount(), 3);
    // A lone subdevice goes by its device's name; siblings by their own, where they have one.
    EXPECT_EQ(driver.inputName(0), "UM-ONE");
    EXPECT_EQ(driver.outputName(1), "MIDI4x4 Port 2");
    EXPECT_EQ(driver.outputName(2), "MIDI4x4");
    EXPECT_EQ(driver.outputName(3), "");

    // Outputs open without blocking, then block for writes; a failure at either step leaves no
    // port, and no handle open.
    struct Case {
        int index, openResult, nonblockResult, result;
        std::string calls;
    };
    const Case cases[] = {
        {0, 0, 0, kMidiOk, "open hw:1,0,0 out nonblock0 "},
        {2, -EBUSY, 0, kMidiAllocated, "open hw:2,0,2 out "},
        {1, 0, -EIO, kMidiError, "open hw:2,0,1 out nonblock0 c "},
    };
    for (const Case& c : cases) {
        api.calls.clear();
        api.openResult = c.openResult;
        api.nonblockResult = c.nonblockResult;
        std::unique_ptr<MidiOutputPort> out;
        EXPECT_EQ(driver.openOutput(c.index, out), c.result) << c.index;
        EXPECT_EQ(out != nullptr, c.result == kMidiOk) << c.index;
        EXPECT_EQ(api.calls, c.calls) << c.index;
    }
    api.calls.clear();
    std::unique_ptr<MidiInputPort> in;
    EXPECT_EQ(driver.openInput(0, {}, in), kMidiOk);
    EXPECT_EQ(in->close(), kMidiOk);
    EXPECT_EQ(api.calls, "open hw:1,0,0 in c ");
}

TEST(MidiDriverFactory, ChoosesByNameAndEnvironment) {
    EXPECT_EQ(createMidiDriver("alsa")->name(), "alsa");
    EXPECT_EQ(createMidiDriver("loopback")->name(), "loopback");
#if VK350_WITH_JACK
    EXPECT_EQ(createMidiDriver("jack")->name(), "jack");
#endif
    EXPECT_EQ(createMidiDriver("oss"), nullptr);
    EXPECT_EQ(createMidiDriver(""), nullptr);
    for (const std::string& name : midiDriverNames())
        EXPECT_NE(createMidiDriver(name), nullptr) << name;

    const char* saved = std::getenv("VK350_MIDI_DRIVER");
    const std::string savedValue = saved ? saved : "";
    unsetenv("VK350_MIDI_DRIVER");
    EXPECT_EQ(midiDriverNameFromEnvironment(), "alsa");
    setenv("VK350_MIDI_DRIVER", "", 1);
    EXPECT_EQ(midiDriverNameFromEnvironment(), "alsa");
    setenv("VK350_MIDI_DRIVER", "loopback", 1);
    EXPECT_EQ(midiDriverNameFromEnvironment(), "loopback");
#if VK350_WITH_JACK
    setenv("VK350_MIDI_DRIVER", "jack", 1);
    EXPECT_EQ(createMidiDriver(midiDriverNameFromEnvironment())->name(), "jack");
#endif
    if (saved)
        setenv("VK350_MIDI_DRIVER", savedValue.c_str(), 1);
    else
        unsetenv("VK350_MIDI_DRIVER");
}
