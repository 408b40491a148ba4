// A SysEx block going out at a cable's pace: its progress, a cut from another thread in the middle
// of it, and an interface pulled out part way; what reaches the wire in each case.
#include "loopback_midi_driver.h"
#include "midi_driver_factory.h"
#include "midi_input.h"
#include "midi_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace vk350;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Block(size_t size) {
    Bytes m(size);
    for (size_t i = 0; i < size; ++i)
        m[i] = uint8_t(i % 127);
    m.front() = 0xF0;
    m.back() = 0xF7;
    return m;
}

// All notes off on every channel: what a reset puts on the wire.
Bytes ResetBytes() {
    Bytes b;
    for (uint8_t ch = 0; ch < 16; ++ch)
        b.insert(b.end(), {uint8_t(0xB0 + ch), 123, 0});
    return b;
}

// Waits (bounded) until the block under way has handed on at least n bytes.
void WaitForProgress(const MidiOutput& out, size_t n) {
    for (int i = 0; i < 5000 && out.SysExSent() < n; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

TEST(OutputCut, APacedBlockShowsItsProgressAndACancelCutsItWhereItStands) {
    LoopbackMidiDriver driver;
    driver.setPace(0, 20000);
    MidiOutput out(driver);
    out.SetUsing(true);
    const Bytes m = Block(18738);
    auto result = std::async(std::launch::async, [&] { return out.SysEx(m.data(), int(m.size())); });
    WaitForProgress(out, 200);
    const size_t midway = out.SysExSent();
    ASSERT_GE(midway, 200u);
    ASSERT_LT(midway, m.size()) << "the block was still going out";
    out.CancelSysEx();
    EXPECT_EQ(result.get(), kMidiCut);
    const size_t sent = out.SysExSent();
    EXPECT_GE(sent, midway);
    EXPECT_LT(sent, m.size());
    Bytes expected(m.begin(), m.begin() + long(sent));
    const Bytes reset = ResetBytes();
    expected.insert(expected.end(), reset.begin(), reset.end());
    EXPECT_EQ(driver.backlog(0), expected) << "the cut block, then the reset, nothing in between";

    // The next block goes out whole, and a reset with nothing under way cuts nothing later.
    driver.setPace(0, 0);
    driver.clearBacklog(0);
    out.Reset();
    driver.clearBacklog(0);
    EXPECT_EQ(out.SysEx(m.data(), int(m.size())), kMidiOk);
    EXPECT_EQ(driver.backlog(0), m);
    EXPECT_EQ(out.SysExSent(), m.size());
}

TEST(OutputCut, AnInterfacePulledOutPartWayFailsTheSend) {
    LoopbackMidiDriver driver;
    MidiOutput out(driver);
    out.SetUsing(true);
    const Bytes m = Block(5000);
    driver.setUnplugAfter(0, 1000);
    EXPECT_EQ(out.SysEx(m.data(), int(m.size())), kMidiError);
    EXPECT_EQ(out.SysExSent(), 1000u);
    EXPECT_EQ(driver.backlog(0), Bytes(m.begin(), m.begin() + 1000));
    driver.clearBacklog(0);
    EXPECT_EQ(out.SysEx(m.data(), int(m.size())), kMidiOk) << "plugged in again";
    EXPECT_EQ(driver.backlog(0), m);

    // Nothing to cut without a port.
    MidiOutput closed(driver);
    closed.CancelSysEx();
    EXPECT_EQ(closed.SysExSent(), 0u);
}

TEST(OutputCut, APacedBlockArrivesInPiecesAndIsDeliveredAsOneMessage) {
    LoopbackMidiDriver driver;
    driver.setPace(0, 200000);
    MidiInput in(driver);
    std::mutex mutex;
    std::vector<Bytes> received;
    in.OnSysEx = [&](MidiInput*, const uint8_t* p, int n) {
        std::lock_guard lock(mutex);
        received.emplace_back(p, p + n);
    };
    in.SetUsing(true);
    MidiOutput out(driver);
    out.SetUsing(true);
    const Bytes m = Block(20000);
    EXPECT_EQ(out.SysEx(m.data(), int(m.size())), kMidiOk);
    driver.waitUntilDelivered(0);
    in.SetUsing(false); // not under the handler's lock: closing waits for a delivery holding it
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], m);
}

// VK350_LOOPBACK_PACE paces the cable the factory makes, so that a long send can be watched and
// cancelled without hardware; anything but a whole number of bytes per second is refused.
TEST(OutputCut, TheLoopbackCableTakesItsPaceFromTheEnvironment) {
    struct Case {
        const char* value;
        int pace;
        bool refused;
    };
    const Case cases[] = {
        {"3125", 3125, false}, {"", 0, false},     {"0", 0, true},        {"fast", 0, true},
        {"3125x", 0, true},    {"-3125", 0, true}, {"99999999", 0, true}, {"10000000", 10000000, false}};
    for (const Case& c : cases) {
        setenv("VK350_LOOPBACK_PACE", c.value, 1);
        std::string error;
        EXPECT_EQ(loopbackPaceFromEnvironment(error), c.pace) << c.value;
        EXPECT_EQ(!error.empty(), c.refused) << c.value << ": " << error;
    }

    // At a MIDI cable's pace a 1000-byte block takes a third of a second: it is caught half way.
    setenv("VK350_LOOPBACK_PACE", "3125", 1);
    const auto driver = createMidiDriver("loopback");
    unsetenv("VK350_LOOPBACK_PACE");
    MidiOutput out(*driver);
    out.SetUsing(true);
    const Bytes m = Block(1000);
    auto result = std::async(std::launch::async, [&] { return out.SysEx(m.data(), int(m.size())); });
    WaitForProgress(out, 16);
    EXPECT_LT(out.SysExSent(), m.size());
    out.CancelSysEx();
    EXPECT_EQ(result.get(), kMidiCut);
}
