#include "bank_location.h"
#include "jack_midi_driver.h"
#include "jack_test_server.h"
#include "midi_output.h"
#include "sample_dump.h"
#include "stream_input_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <thread>

using namespace vk350;
using namespace vk350::testing;
using namespace std::chrono_literals;

namespace {

Bytes sysex(size_t size, uint8_t seed = 1) {
    Bytes m(size);
    for (size_t i = 0; i < size; ++i)
        m[i] = static_cast<uint8_t>((i * 31 + seed) & 0x7F);
    m.front() = 0xF0;
    m.back() = 0xF7;
    return m;
}

// The ten dumps of a bank: every slot at its full size (a 64 K slot carries 65535 bytes).
std::vector<Bytes> bankDumps() {
    std::vector<Bytes> dumps;
    for (int slot = 0; slot < kBankSlots; ++slot) {
        Bytes samples(std::min<size_t>(kBankLocations[size_t(slot)].size(), kMaxDumpSamples));
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<uint8_t>(i * 7 + size_t(slot));
        Bytes dump(kMaxDumpSize);
        dump.resize(buildSampleDump(slot, samples, dump));
        dumps.push_back(std::move(dump));
    }
    return dumps;
}

bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit = 5s) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// What an input delivers, in order: short messages (three bytes as given) and SysEx buffers.
// Its buffers must outlive the input's thread: every test closes its input before the inbox goes.
struct Inbox {
    struct Item {
        bool isShort;
        Bytes bytes;
        bool operator==(const Item&) const = default;
    };
    std::mutex mutex;
    std::vector<Item> items;
    std::vector<Bytes> memory;
    std::vector<MidiBuffer> headers;
    MidiInputPort* port = nullptr;

    Inbox(size_t count, size_t size) : memory(count, Bytes(size)), headers(count) {
        for (size_t i = 0; i < count; ++i)
            headers[i] = {memory[i].data(), static_cast<uint32_t>(size), 0};
    }
    MidiInputEvents events() {
        MidiInputEvents e;
        e.onShort = [this](uint8_t s, uint8_t a, uint8_t b) {
            std::lock_guard lock(mutex);
            items.push_back({true, {s, a, b}});
        };
        e.onLong = [this](MidiBuffer& b) {
            {
                std::lock_guard lock(mutex);
                items.push_back({false, Bytes(b.data, b.data + b.bytesRecorded)});
            }
            port->addBuffer(b);
        };
        return e;
    }
    void start(MidiInputPort& p) {
        port = &p;
        for (MidiBuffer& h : headers)
            p.addBuffer(h);
        p.start();
    }
    size_t size() {
        std::lock_guard lock(mutex);
        return items.size();
    }
    std::vector<Item> take() {
        std::lock_guard lock(mutex);
        return std::exchange(items, {});
    }
};

int indexOf(JackMidiDriver& driver, bool output, const std::string& name) {
    const int n = output ? driver.outputCount() : driver.inputCount();
    for (int i = 0; i < n; ++i)
        if ((output ? driver.outputName(i) : driver.inputName(i)) == name)
            return i;
    return -1;
}

class JackMidi : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = std::make_unique<JackTestServer>();
        if (server_->missing())
            GTEST_SKIP() << server_->failure();
        ASSERT_EQ(server_->failure(), "");
        peer_ = std::make_unique<JackPeer>();
        ASSERT_TRUE(peer_->ok());
    }
    void TearDown() override {
        peer_.reset();
        server_.reset();
    }

    // Our output into the peer's input, the peer's output into our input: a cable through JACK.
    void openBoth(JackMidiDriver& driver, std::unique_ptr<MidiOutputPort>& out,
                  std::unique_ptr<MidiInputPort>& in, Inbox& inbox) {
        ASSERT_EQ(driver.openOutput(indexOf(driver, true, peer_->sinkName()), out), kMidiOk);
        ASSERT_EQ(driver.openInput(indexOf(driver, false, peer_->sourceName()), inbox.events(), in), kMidiOk);
        inbox.start(*in);
    }

    // Starts sending big from another thread; returns once that many fragments of it are out.
    static std::future<int> sendUnderWay(MidiOutputPort& out, const Bytes& big, std::atomic<bool>& done,
                                         size_t fragments = 2) {
        auto send =
            std::async(std::launch::async, [&] { return out.sendLong(big.data(), big.size(), done); });
        EXPECT_TRUE(waitUntil([&] { return out.bytesSent() >= fragments * JackMidiDriver::kFragmentSize; }));
        return send;
    }

    std::vector<std::string> log_;
    std::mutex logMutex_;
    std::function<void(const std::string&)> logger() {
        return [this](const std::string& line) {
            std::lock_guard lock(logMutex_);
            log_.push_back(line);
        };
    }
    bool logged(const std::string& line) {
        std::lock_guard lock(logMutex_);
        return std::find(log_.begin(), log_.end(), line) != log_.end();
    }

    std::unique_ptr<JackTestServer> server_;
    std::unique_ptr<JackPeer> peer_;
};

} // namespace

TEST(JackMidiNoServer, ListsNothingAndEveryOpenFails) {
    setenv("JACK_DEFAULT_SERVER", ("vk350-none-" + std::to_string(getpid())).c_str(), 1);
    JackMidiDriver driver;
    EXPECT_EQ(driver.name(), "jack");
    EXPECT_EQ(driver.inputCount(), 0);
    EXPECT_EQ(driver.outputCount(), 0);
    EXPECT_EQ(driver.inputName(0), "");
    EXPECT_EQ(driver.portBufferSize(), 0u);
    std::unique_ptr<MidiInputPort> in;
    std::unique_ptr<MidiOutputPort> out;
    EXPECT_EQ(driver.openInput(0, {}, in), kMidiBadDeviceId);
    EXPECT_EQ(driver.openOutput(0, out), kMidiBadDeviceId);
    EXPECT_FALSE(in || out);
}

TEST_F(JackMidi, ListsOtherClientsPortsAndConnectsTheChosenOne) {
    JackMidiDriver driver("vk350", logger());
    const int sink = indexOf(driver, true, peer_->sinkName());
    const int source = indexOf(driver, false, peer_->sourceName());
    ASSERT_GE(sink, 0);
    ASSERT_GE(source, 0);
    EXPECT_EQ(driver.outputName(driver.outputCount()), "");
    EXPECT_EQ(driver.inputName(-1), "");
    EXPECT_GE(driver.portBufferSize(), 2 * JackMidiDriver::kFragmentSize);

    std::unique_ptr<MidiOutputPort> out, out2;
    std::unique_ptr<MidiInputPort> in;
    EXPECT_EQ(driver.openOutput(driver.outputCount(), out), kMidiBadDeviceId);
    ASSERT_EQ(driver.openOutput(sink, out), kMidiOk);
    ASSERT_EQ(driver.openInput(source, {}, in), kMidiOk);
    // JACK ports take any number of connections: a second port to the same device is fine.
    ASSERT_EQ(driver.openOutput(sink, out2), kMidiOk);
    EXPECT_EQ(peer_->connections(true), (std::vector<std::string>{"vk350:midi_out_1", "vk350:midi_out_3"}));
    EXPECT_EQ(peer_->connections(false), (std::vector<std::string>{"vk350:midi_in_2"}));
    // Our own ports are not devices.
    EXPECT_EQ(indexOf(driver, false, "vk350:midi_out_1"), -1);
    EXPECT_EQ(indexOf(driver, true, "vk350:midi_in_2"), -1);

    EXPECT_EQ(out->close(), kMidiOk);
    EXPECT_EQ(out->close(), kMidiInvalidHandle);
    EXPECT_EQ(in->close(), kMidiOk);
    std::this_thread::sleep_for(100ms); // the notices of those disconnections reach us
    EXPECT_EQ(out2->sendShort(0x90, 1, 2), kMidiOk) << "closing a port leaves the others alone";
    EXPECT_EQ(peer_->connections(true), (std::vector<std::string>{"vk350:midi_out_3"}));
    EXPECT_TRUE(peer_->connections(false).empty());
    EXPECT_EQ(out->sendShort(0x90, 1, 2), kMidiInvalidHandle);
}

TEST_F(JackMidi, ShortMessagesGoOutInOrderAndBadOnesAreRefused) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiOutputPort> out;
    std::unique_ptr<MidiInputPort> in;
    Inbox inbox(2, 64);
    openBoth(driver, out, in, inbox);
    struct Case {
        Bytes message;
        int result;
    };
    const std::vector<Case> cases = {
        {{0x90, 0x3C, 0x64}, kMidiOk},           {{0xC3, 0x05, 0x00}, kMidiOk},
        {{0xF8, 0x00, 0x00}, kMidiOk},           {{0xF0, 0x01, 0x02}, kMidiInvalidParam},
        {{0x40, 0x01, 0x02}, kMidiInvalidParam}, {{0xE1, 0x00, 0x40}, kMidiOk},
    };
    std::vector<Inbox::Item> expected;
    for (const Case& c : cases) {
        EXPECT_EQ(out->sendShort(c.message[0], c.message[1], c.message[2]), c.result) << int(c.message[0]);
        if (c.result == kMidiOk)
            expected.push_back({true, c.message[0] == 0xC3 ? Bytes{0xC3, 0x05, 0} : c.message});
    }
    ASSERT_TRUE(waitUntil([&] { return inbox.size() >= expected.size(); }));
    EXPECT_EQ(inbox.take(), expected);
    // Each went out as one event of its own length.
    const auto events = peer_->received();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1].bytes, (Bytes{0xC3, 0x05}));
    EXPECT_EQ(events[2].bytes, (Bytes{0xF8}));
    EXPECT_EQ(out->close(), kMidiOk);
    EXPECT_EQ(in->close(), kMidiOk);
}

TEST_F(JackMidi, ABankArrivesWholeAndInOrderEightTimesInFragmentsThatFitACycle) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiOutputPort> out;
    std::unique_ptr<MidiInputPort> in;
    Inbox inbox(3, kMaxDumpSize);
    openBoth(driver, out, in, inbox);
    const std::vector<Bytes> bank = bankDumps();
    ASSERT_EQ(bank[7].size(), 74911u);
    for (int round = 0; round < 8; ++round) {
        for (const Bytes& dump : bank) {
            std::atomic<bool> done{false};
            ASSERT_EQ(out->sendLong(dump.data(), dump.size(), done), kMidiOk);
            EXPECT_TRUE(done.load());
            EXPECT_EQ(out->bytesSent(), dump.size());
        }
        ASSERT_TRUE(waitUntil([&] { return inbox.size() >= bank.size(); })) << "round " << round;
        const auto items = inbox.take();
        ASSERT_EQ(items.size(), bank.size());
        for (size_t i = 0; i < bank.size(); ++i)
            EXPECT_TRUE(!items[i].isShort && items[i].bytes == bank[i]) << "round " << round << " dump " << i;
    }
    EXPECT_EQ(static_cast<StreamInputPort&>(*in).droppedBytes(), 0u);

    // On the way: fragments of at most 8 KiB, a message's first beginning with F0 and its last
    // ending with F7, no cycle carrying more than a port buffer, the largest dump over several.
    const size_t buffer = driver.portBufferSize();
    std::map<uint64_t, size_t> perCycle;
    bool inMessage = false;
    uint64_t firstCycle = 0, largestCycles = 0;
    for (const auto& e : peer_->received()) {
        ASSERT_LE(e.bytes.size(), JackMidiDriver::kFragmentSize);
        ASSERT_FALSE(e.bytes.empty());
        perCycle[e.cycle] += e.bytes.size();
        EXPECT_EQ(e.bytes.front() == 0xF0, !inMessage);
        if (!inMessage)
            firstCycle = e.cycle;
        inMessage = e.bytes.back() != 0xF7;
        if (!inMessage)
            largestCycles = std::max(largestCycles, e.cycle - firstCycle + 1);
    }
    EXPECT_FALSE(inMessage);
    for (const auto& [cycle, bytes] : perCycle)
        EXPECT_LT(bytes, buffer) << cycle;
    EXPECT_GE(largestCycles, 3u);
    EXPECT_EQ(out->close(), kMidiOk);
    EXPECT_EQ(in->close(), kMidiOk);
}

TEST_F(JackMidi, ShortMessagesAroundADumpKeepTheirPlace) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiOutputPort> out;
    std::unique_ptr<MidiInputPort> in;
    Inbox inbox(2, 40000);
    openBoth(driver, out, in, inbox);
    const Bytes dump = sysex(30000);
    std::vector<Inbox::Item> expected;
    for (int burst = 0; burst < 3; ++burst) {
        for (uint8_t n = 0; n < 20; ++n) {
            ASSERT_EQ(out->sendShort(0x90, n, static_cast<uint8_t>(burst + 1)), kMidiOk);
            expected.push_back({true, {0x90, n, static_cast<uint8_t>(burst + 1)}});
        }
        std::atomic<bool> done{false};
        ASSERT_EQ(out->sendLong(dump.data(), dump.size(), done), kMidiOk);
        expected.push_back({false, dump});
    }
    ASSERT_EQ(out->sendShort(0xFC, 0, 0), kMidiOk);
    expected.push_back({true, {0xFC, 0, 0}});
    ASSERT_TRUE(waitUntil([&] { return inbox.size() >= expected.size(); }));
    EXPECT_EQ(inbox.take(), expected);
    EXPECT_EQ(in->close(), kMidiOk);
}

// What other programs send us, cycle by cycle, and what the client gets.
TEST_F(JackMidi, ReceivedEventsAreReassembledAsOtherDriversDo) {
    struct Case {
        const char* what;
        std::vector<std::vector<Bytes>> cycles;
        size_t bufferSize;
        std::vector<Inbox::Item> expected;
    };
    const std::vector<Case> cases = {
        {"a dump in fragments over three cycles",
         {{{0xF0, 1, 2}}, {{3, 4}, {5}}, {{6, 0xF7}}},
         64,
         {{false, {0xF0, 1, 2, 3, 4, 5, 6, 0xF7}}}},
        {"real-time bytes inside a dump pass without breaking it",
         {{{0xF0, 1, 2}, {0xF8}}, {{3, 4}}, {{0xFE}, {5, 0xF7}}},
         64,
         {{true, {0xF8, 0, 0}}, {true, {0xFE, 0, 0}}, {false, {0xF0, 1, 2, 3, 4, 5, 0xF7}}}},
        {"a new F0 ends the message under way",
         {{{0xF0, 1, 2}}, {{0xF0, 3, 0xF7}}},
         64,
         {{false, {0xF0, 1, 2}}, {false, {0xF0, 3, 0xF7}}}},
        {"a channel message ends it too, and is delivered",
         {{{0xF0, 1}}, {{0x91, 60, 1}, {0xF0, 2, 0xF7}}},
         64,
         {{false, {0xF0, 1}}, {true, {0x91, 60, 1}}, {false, {0xF0, 2, 0xF7}}}},
        {"a full buffer is returned and the next one goes on",
         {{{0xF0, 1, 2, 3}}, {{4, 5, 0xF7}}},
         3,
         {{false, {0xF0, 1, 2}}, {false, {3, 4, 5}}, {false, {0xF7}}}},
    };
    JackMidiDriver driver("vk350", logger());
    for (const Case& c : cases) {
        std::unique_ptr<MidiInputPort> in;
        Inbox inbox(4, c.bufferSize);
        ASSERT_EQ(driver.openInput(indexOf(driver, false, peer_->sourceName()), inbox.events(), in), kMidiOk);
        inbox.start(*in);
        for (const auto& cycle : c.cycles)
            peer_->emit(cycle);
        ASSERT_TRUE(waitUntil([&] { return peer_->emitted(); }));
        waitUntil([&] { return inbox.size() >= c.expected.size(); }, 1s);
        std::this_thread::sleep_for(60ms); // nothing more may come
        EXPECT_EQ(inbox.take(), c.expected) << c.what;
        EXPECT_EQ(in->close(), kMidiOk);
    }
}

TEST_F(JackMidi, ResetCutsADumpAtAFragmentEdgeAndSilencesTheChannels) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiOutputPort> out;
    std::unique_ptr<MidiInputPort> in;
    Inbox inbox(2, 1 << 20);
    openBoth(driver, out, in, inbox);
    const Bytes big = sysex(1 << 20); // about forty cycles
    std::atomic<bool> done{false};
    auto send = sendUnderWay(*out, big, done, 3);
    EXPECT_EQ(out->reset(), kMidiOk);
    EXPECT_EQ(send.get(), kMidiCut);
    EXPECT_FALSE(done.load());
    const size_t sent = out->bytesSent();
    EXPECT_LT(sent, big.size());
    EXPECT_EQ(sent % JackMidiDriver::kFragmentSize, 0u);
    // The cut part, then all notes off on the sixteen channels.
    ASSERT_TRUE(waitUntil([&] { return inbox.size() >= 17; }));
    const auto items = inbox.take();
    ASSERT_EQ(items.size(), 17u);
    EXPECT_EQ(items[0].bytes, Bytes(big.begin(), big.begin() + std::ptrdiff_t(sent)));
    for (uint8_t ch = 0; ch < 16; ++ch)
        EXPECT_EQ(items[1 + ch].bytes, (Bytes{uint8_t(0xB0 + ch), 123, 0}));
    // The port goes on working.
    const Bytes small = sysex(100);
    std::atomic<bool> again{false};
    EXPECT_EQ(out->sendLong(small.data(), small.size(), again), kMidiOk);
    ASSERT_TRUE(waitUntil([&] { return inbox.size() >= 1; }));
    EXPECT_EQ(inbox.take()[0].bytes, small);
    EXPECT_EQ(in->close(), kMidiOk);
}

TEST_F(JackMidi, CloseWaitsForQueuedMessages) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiOutputPort> out;
    ASSERT_EQ(driver.openOutput(indexOf(driver, true, peer_->sinkName()), out), kMidiOk);
    // More short messages than the queue holds (the last wait for room) and than a cycle
    // carries: some are still queued when close is called.
    const int count = 16384;
    for (int n = 0; n < count; ++n)
        ASSERT_EQ(out->sendShort(0x80, uint8_t(n & 0x7F), uint8_t((n >> 7) & 0x7F)), kMidiOk) << n;
    int stillPlaying = 0;
    int result = out->close();
    for (; result == kMidiStillPlaying; result = out->close())
        ++stillPlaying;
    EXPECT_EQ(result, kMidiOk);
    EXPECT_GE(stillPlaying, 1);
    ASSERT_TRUE(waitUntil([&] { return peer_->received().size() >= size_t(count); }));
    const auto events = peer_->received();
    ASSERT_EQ(events.size(), size_t(count));
    for (int n = 0; n < count; ++n)
        ASSERT_EQ(events[size_t(n)].bytes, (Bytes{0x80, uint8_t(n & 0x7F), uint8_t((n >> 7) & 0x7F)})) << n;
}

TEST_F(JackMidi, APortThatGoesAwayEndsTheTransferWithACodeAndALine) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiOutputPort> out;
    std::unique_ptr<MidiInputPort> in;
    Inbox inbox(2, 1 << 20);
    openBoth(driver, out, in, inbox);
    const Bytes big = sysex(1 << 20);
    std::atomic<bool> done{false};
    auto send = sendUnderWay(*out, big, done);
    // Sent is not yet received: under load the peer's port could go before a byte reached it,
    // and the input below would then hold no part of the dump.
    ASSERT_TRUE(waitUntil([&] {
        size_t reached = 0;
        for (const auto& e : peer_->received())
            reached += e.bytes.size();
        return reached >= 2 * JackMidiDriver::kFragmentSize;
    }));
    peer_->unregisterSink();
    ASSERT_EQ(send.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(send.get(), kMidiError);
    EXPECT_FALSE(done.load());
    EXPECT_TRUE(logged("JACK port peer:sink went away"));
    EXPECT_EQ(out->sendShort(0x90, 1, 1), kMidiError);

    // The input whose source goes away returns the part of the message it holds: here the
    // dump cut above, ended by the next F0, then that message's own part.
    peer_->emit({{0xF0, 1, 2, 3}});
    ASSERT_TRUE(waitUntil([&] { return inbox.size() >= 1; }));
    std::this_thread::sleep_for(100ms);
    auto items = inbox.take();
    ASSERT_EQ(items.size(), 1u);
    // What had reached the peer before its port went: a prefix of the dump.
    ASSERT_GE(items[0].bytes.size(), 2 * JackMidiDriver::kFragmentSize);
    EXPECT_LE(items[0].bytes.size(), out->bytesSent());
    EXPECT_TRUE(std::equal(items[0].bytes.begin(), items[0].bytes.end(), big.begin()));
    peer_->unregisterSource();
    ASSERT_TRUE(waitUntil([&] { return inbox.size() >= 1; }));
    EXPECT_EQ(inbox.take()[0].bytes, (Bytes{0xF0, 1, 2, 3}));
    EXPECT_TRUE(logged("JACK port peer:source went away"));
    EXPECT_EQ(out->close(), kMidiOk);
    EXPECT_EQ(in->close(), kMidiOk);
}

// Another program cutting our connection (a patchbay) leaves the bytes nowhere to go.
TEST_F(JackMidi, AConnectionCutByAnotherProgramEndsTheTransferWithACodeAndALine) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiOutputPort> out;
    ASSERT_EQ(driver.openOutput(indexOf(driver, true, peer_->sinkName()), out), kMidiOk);
    const Bytes big = sysex(1 << 20);
    std::atomic<bool> done{false};
    auto send = sendUnderWay(*out, big, done);
    peer_->disconnectSink();
    ASSERT_EQ(send.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(send.get(), kMidiError);
    EXPECT_FALSE(done.load());
    EXPECT_TRUE(logged("JACK port peer:sink was disconnected from ours"));
    EXPECT_EQ(out->sendShort(0x90, 1, 1), kMidiError);
    EXPECT_EQ(out->close(), kMidiOk);
}

TEST_F(JackMidi, AServerKilledMidSendGivesACodeWithinASecondAndALaterServerIsFound) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiOutputPort> out;
    std::unique_ptr<MidiInputPort> in;
    Inbox inbox(2, 1 << 20);
    openBoth(driver, out, in, inbox);
    const Bytes big = sysex(1 << 21);
    std::atomic<bool> done{false};
    auto send = sendUnderWay(*out, big, done);
    server_->kill();
    ASSERT_EQ(send.wait_for(1s), std::future_status::ready);
    EXPECT_EQ(send.get(), kMidiError);
    EXPECT_FALSE(done.load());
    EXPECT_EQ(out->sendShort(0x90, 1, 1), kMidiError);
    EXPECT_EQ(in->start(), kMidiError);
    EXPECT_TRUE(waitUntil([&] {
        std::lock_guard lock(logMutex_);
        return !log_.empty() && log_.front().rfind("JACK server shut down", 0) == 0;
    }));
    // The lists empty; ports of the old connection still close cleanly. (libjack must be done
    // with every connection to the dead server before a new one opens, the peer's included.)
    peer_.reset();
    server_->stop();
    EXPECT_EQ(driver.outputCount(), 0);
    EXPECT_EQ(out->close(), kMidiOk);
    EXPECT_EQ(in->close(), kMidiOk);
    // A new server: a new connection, and the devices are back.
    ASSERT_TRUE(server_->start()) << server_->failure();
    peer_ = std::make_unique<JackPeer>();
    ASSERT_TRUE(peer_->ok());
    Inbox again(2, 1024);
    openBoth(driver, out, in, again);
    const Bytes small = sysex(500);
    std::atomic<bool> sent{false};
    EXPECT_EQ(out->sendLong(small.data(), small.size(), sent), kMidiOk);
    ASSERT_TRUE(waitUntil([&] { return again.size() >= 1; }));
    EXPECT_EQ(again.take()[0].bytes, small);
    // The input's thread may still be handing buffers back: it ends before the buffers go.
    EXPECT_EQ(in->close(), kMidiOk);
}

TEST_F(JackMidi, AServerThatStopsRunningCyclesEndsTheSendInsteadOfHanging) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiOutputPort> out;
    ASSERT_EQ(driver.openOutput(indexOf(driver, true, peer_->sinkName()), out), kMidiOk);
    const Bytes big = sysex(1 << 20);
    std::atomic<bool> done{false};
    auto send = sendUnderWay(*out, big, done);
    server_->pause();
    const auto status = send.wait_for(3s);
    server_->resume();
    ASSERT_EQ(status, std::future_status::ready);
    EXPECT_EQ(send.get(), kMidiError);
    EXPECT_TRUE(logged("JACK server ran no process cycle for 2 s"));
    // Once the server runs again, the rest of the block is not sent after all.
    const size_t sent = out->bytesSent();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(out->bytesSent(), sent);
}

TEST_F(JackMidi, InputOverrunIsMarkedSoNothingIsSplicedAndCounted) {
    JackMidiDriver driver("vk350", logger());
    std::unique_ptr<MidiInputPort> in;
    Inbox inbox(4, 1 << 21);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    MidiInputEvents events = inbox.events();
    auto onLong = events.onLong;
    // The client keeps the input thread busy while more than the input ring holds comes in.
    events.onLong = [&, onLong](MidiBuffer& b) {
        released.wait();
        onLong(b);
    };
    ASSERT_EQ(driver.openInput(indexOf(driver, false, peer_->sourceName()), events, in), kMidiOk);
    inbox.start(*in);
    peer_->emit({{0xF0, 1, 0xF7}});
    const Bytes fragment(8000, 0x55);
    for (int cycle = 0; cycle < 200; ++cycle)
        peer_->emit({cycle == 0 ? Bytes{0xF0} : fragment, fragment, fragment});
    peer_->emit({{0xF7}});
    peer_->emit({{0xF0, 9, 0xF7}});
    ASSERT_TRUE(waitUntil([&] { return peer_->emitted(); }, 10s));
    release.set_value();
    auto& port = static_cast<StreamInputPort&>(*in);
    ASSERT_TRUE(waitUntil([&] { return inbox.size() >= 3; }));
    std::this_thread::sleep_for(100ms);
    const auto items = inbox.take();
    EXPECT_GT(port.droppedBytes(), 0u);
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items.front().bytes, (Bytes{0xF0, 1, 0xF7}));
    EXPECT_EQ(items.back().bytes, (Bytes{0xF0, 9, 0xF7}));
    // The big message is cut where bytes went missing: what came before the loss, never more.
    EXPECT_EQ(items[1].bytes.front(), 0xF0);
    EXPECT_LT(items[1].bytes.size(), 1u + 200 * 3 * 8000);
    for (size_t i = 1; i < items.size() - 1; ++i)
        EXPECT_NE(items[i].bytes.back(), 0xF7) << i;
    EXPECT_EQ(in->close(), kMidiOk);
}

// As `vk350 send` does it, run after run: a new client opens its port, sends the ten dumps of a
// bank back to back and closes at once, to a program that is slow to read what reaches it (the
// last dump went out in a cycle the reader had not finished when the port went). Every other run
// the client has been listening to a slow program too, so that its own cycles run late, after
// that program's (the first dump went out in a cycle still without the connection).
TEST_F(JackMidi, RunAfterRunOfSendsLosesNoDump) {
    peer_.reset();
    peer_ = std::make_unique<JackPeer>("peer", true, 4ms);
    JackPeer slow("slow", false, 8ms);
    ASSERT_TRUE(peer_->ok() && slow.ok());
    const std::vector<Bytes> bank = bankDumps();
    const int runs = 20;
    for (int run = 0; run < runs; ++run) {
        JackMidiDriver driver("vk350-send", logger());
        std::unique_ptr<MidiInputPort> in;
        if (run % 2 == 1) {
            ASSERT_EQ(driver.openInput(indexOf(driver, false, slow.sourceName()), {}, in), kMidiOk);
            std::this_thread::sleep_for(50ms + run * 1ms); // listening a while, to any phase of a cycle
        }
        MidiOutput out(driver);
        out.SetPort(indexOf(driver, true, peer_->sinkName()));
        out.SetUsing(true);
        ASSERT_EQ(out.OpenResult(), kMidiOk);
        for (const Bytes& dump : bank)
            ASSERT_EQ(out.SysEx(dump.data(), int(dump.size())), kMidiOk) << "run " << run;
        out.SetUsing(false);
        EXPECT_EQ(out.CloseResult(), kMidiOk);
        if (in) {
            EXPECT_EQ(in->close(), kMidiOk);
        }
    }
    // Every dump, whole and in order: the peer's events joined back into messages.
    std::vector<Bytes> arrived;
    for (const auto& e : peer_->received()) {
        if (e.bytes.front() == 0xF0 || arrived.empty())
            arrived.emplace_back();
        arrived.back().insert(arrived.back().end(), e.bytes.begin(), e.bytes.end());
    }
    ASSERT_EQ(arrived.size(), bank.size() * runs);
    for (size_t i = 0; i < arrived.size(); ++i)
        ASSERT_EQ(arrived[i], bank[i % bank.size()])
            << "run " << i / bank.size() << " dump " << i % bank.size();
}
