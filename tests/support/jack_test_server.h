// A private JACK server on the dummy backend for the tests and the benchmark, and a second
// client that plays the other program: it records what reaches its input port, forwards it to
// its output port, and sends events the test queues, one cycle's worth at a time.
#pragma once

#include <jack/jack.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vk350::testing {

using Bytes = std::vector<uint8_t>;

// Starts jackd under a server name of this program's own (JACK_DEFAULT_SERVER is set for the
// process), one test program at a time across the machine. 48000 Hz, 1024-frame periods.
class JackTestServer {
public:
    JackTestServer();
    ~JackTestServer();
    // Empty when the server runs; else why it could not start.
    const std::string& failure() const { return failure_; }
    // jackd is not installed: the tests that need it are skipped. Any other failure to start
    // fails them, so that a machine whose server cannot start does not pass them untried.
    bool missing() const { return missing_; }
    // Kills the server the hard way, as a crash would.
    void kill();
    // Stops and continues the server's process, as a hung server would stop.
    void pause();
    void resume();
    bool start();
    void stop();

private:
    int lock_ = -1;
    pid_t pid_ = -1;
    std::string failure_;
    bool missing_ = false;
};

class JackPeer {
public:
    struct Event {
        uint64_t cycle;
        Bytes bytes;
    };
    // lag: how long the peer spends in each cycle before it reads its input, as a busy program
    // would; everything of ours that runs after it in the cycle runs that much later.
    explicit JackPeer(const char* name = "peer", bool thru = true,
                      std::chrono::microseconds lag = std::chrono::microseconds(0));
    ~JackPeer();
    bool ok() const { return client_ != nullptr; }
    std::string sinkName() const;
    std::string sourceName() const;
    // Events for the output port: each call is sent in a cycle of its own.
    void emit(std::vector<Bytes> cycle);
    // Everything that reached the input port so far.
    std::vector<Event> received();
    bool emitted(); // every queued cycle went out
    void unregisterSink();
    // Cuts every connection to the sink, as a patchbay would.
    void disconnectSink();
    void unregisterSource();
    // Ports connected to ours ("client:port").
    std::vector<std::string> connections(bool sink);

private:
    static int process(jack_nframes_t frames, void* arg);
    jack_client_t* client_ = nullptr;
    jack_port_t* sink_ = nullptr;
    jack_port_t* source_ = nullptr;
    bool thru_;
    std::chrono::microseconds lag_;
    std::mutex mutex_;
    uint64_t cycle_ = 0;
    std::deque<std::vector<Bytes>> pending_;
    std::vector<Event> got_;
};

} // namespace vk350::testing
