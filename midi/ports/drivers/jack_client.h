// One connection to a JACK server and the process callback that serves every MIDI port of ours
// on it. Ports are published to the callback through a fixed table of atomic pointers, so that
// opening and closing a port never takes a lock the callback would wait on.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <jack/types.h>

namespace vk350 {

// What the process callback serves: one of our ports, joined to one port of another client.
class JackPortLink {
public:
    virtual ~JackPortLink() = default;
    // Process thread, once a cycle while the link is attached. Never locks or allocates.
    virtual void process(uint32_t frames) = 0;

    jack_port_t* port = nullptr;   // ours, set by attach
    std::string peer;              // the other client's port, "client:port"
    std::atomic<bool> gone{false}; // set by the notification thread when peer went away
    std::atomic<bool> cut{false};  // set by the notification thread when another program cut the link
};

class JackClient {
public:
    using Log = std::function<void(const std::string&)>;
    static constexpr int kSlots = 32; // ports of ours on one client

    // Window thread. Connects without ever starting a server; null when none answers.
    static std::shared_ptr<JackClient> open(const std::string& name, Log log);
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    // Any thread: the server shut the connection down (it stopped, or dropped us).
    bool dead() const { return dead_.load(std::memory_order_acquire); }
    // Any thread: says once, in the log, that the server went away and why.
    void reportShutdown();
    void log(const std::string& line) const;

    // Window thread: the MIDI ports of other clients, sinks (input ports) or sources.
    std::vector<std::string> otherPorts(bool sinks);
    // Window thread: registers our port for link (an input port when input), publishes the link
    // to the callback and connects it to link.peer. Returns once the process cycles run with the
    // connection (the server applies it at a cycle's start), so nothing queued afterwards goes
    // out of an unconnected port. A MidiResult code.
    int attach(JackPortLink& link, bool input);
    // Window thread: disconnects, unpublishes and unregisters link's port; the callback no
    // longer touches link once this returns. The port is unregistered only once the cycles run
    // without the connection: the other program may still be reading the port's last cycle, and
    // an unregistered port reads as empty.
    void detach(JackPortLink& link);
    // Any thread but the process thread: returns once no cycle that may have seen an earlier
    // store is still running (at once when the server is gone).
    void waitIdle() const;
    // Window thread: closes the connection to the server; ports still open stay usable objects
    // that report the server gone.
    void close();
    // Process buffer size in bytes of a MIDI port; 0 when unknown.
    size_t midiBufferSize() const;

private:
    explicit JackClient(Log log);
    static int process(jack_nframes_t frames, void* arg);
    static void shutdown(jack_status_t code, const char* reason, void* arg);
    static void registration(jack_port_id_t id, int registered, void* arg);
    static void connection(jack_port_id_t a, jack_port_id_t b, int connected, void* arg);
    // Window thread: waits (bounded) until link's port is connected, or not, in the running cycles.
    bool waitConnected(const JackPortLink& link, bool connected) const;

    std::atomic<jack_client_t*> handle_{nullptr};
    std::array<std::atomic<JackPortLink*>, kSlots> slots_{};
    std::atomic<bool> busy_{false};
    std::atomic<bool> dead_{false};
    std::atomic<bool> reported_{false};
    char reason_[200] = {};
    int nextPort_ = 1;
    Log log_;
    // Links known to the notification thread; never taken by the process callback.
    std::mutex linksMutex_;
    std::vector<JackPortLink*> links_;
};

} // namespace vk350
