// The largest dump (74911 bytes) through a private JACK server on the dummy backend at 48000 Hz
// with 1024-frame periods: from the send to the whole message in our input's buffer, through a
// second client that passes the events on. The counters give the process cycles the dump took
// on the way, the bytes the driver put into one cycle, and a MIDI port buffer's size.
#include "jack_midi_driver.h"
#include "jack_test_server.h"
#include "sample_dump.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <map>
#include <thread>

using namespace vk350;
using namespace vk350::testing;

namespace {

void BM_JackLargestDumpThrough(benchmark::State& state) {
    JackTestServer server;
    if (!server.failure().empty()) {
        state.SkipWithError(("no JACK server: " + server.failure()).c_str());
        return;
    }
    JackPeer peer;
    JackMidiDriver driver("vk350-bench", [](const std::string&) {});
    int sink = -1, source = -1;
    for (int i = 0; i < driver.outputCount(); ++i)
        if (driver.outputName(i) == peer.sinkName())
            sink = i;
    for (int i = 0; i < driver.inputCount(); ++i)
        if (driver.inputName(i) == peer.sourceName())
            source = i;
    Bytes dump(kMaxDumpSize, 0x2A);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    Bytes memory(kMaxDumpSize);
    MidiBuffer buffer{memory.data(), static_cast<uint32_t>(memory.size()), 0};
    std::atomic<int> arrived{0};
    std::unique_ptr<MidiInputPort> in;
    std::unique_ptr<MidiOutputPort> out;
    MidiInputEvents events;
    events.onLong = [&](MidiBuffer& b) {
        arrived.fetch_add(b.bytesRecorded == kMaxDumpSize ? 1 : 1000);
        in->addBuffer(b);
    };
    if (driver.openOutput(sink, out) != kMidiOk || driver.openInput(source, events, in) != kMidiOk) {
        state.SkipWithError("cannot open the ports");
        return;
    }
    in->addBuffer(buffer);
    in->start();
    int expected = 0;
    for (auto _ : state) {
        std::atomic<bool> done{false};
        if (out->sendLong(dump.data(), dump.size(), done) != kMidiOk) {
            state.SkipWithError("send failed");
            break;
        }
        ++expected;
        while (arrived.load() < expected)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    if (arrived.load() != expected)
        state.SkipWithError("a dump arrived cut");
    // Cycles from a dump's first fragment to its last, and the bytes of the fullest cycle.
    std::map<uint64_t, size_t> perCycle;
    uint64_t first = 0, spans = 0, dumps = 0;
    for (const auto& e : peer.received()) {
        perCycle[e.cycle] += e.bytes.size();
        if (e.bytes.front() == 0xF0)
            first = e.cycle;
        if (e.bytes.back() == 0xF7) {
            spans += e.cycle - first + 1;
            ++dumps;
        }
    }
    size_t fullest = 0;
    for (const auto& [cycle, bytes] : perCycle)
        fullest = std::max(fullest, bytes);
    state.counters["cycles_per_dump"] = dumps ? double(spans) / double(dumps) : 0;
    state.counters["max_bytes_per_cycle"] = double(fullest);
    state.counters["port_buffer_bytes"] = double(driver.portBufferSize());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kMaxDumpSize));
    in->close();
    out->close();
}
BENCHMARK(BM_JackLargestDumpThrough)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

BENCHMARK_MAIN();
