#include "jack_client.h"

#include "midi_driver.h"

#include <chrono>
#include <cstring>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <thread>

namespace vk350 {

namespace {
// libjack prints its own complaints, one for every failed connection attempt, which with no
// server running would be several lines for each refresh of the device lists.
void quiet(const char*) {}

// How long a connection or disconnection may take to reach the process cycles: a few periods
// on a running server, more than enough for a slow one.
constexpr auto kGraphChange = std::chrono::seconds(2);
} // namespace

JackClient::JackClient(Log log) : log_(std::move(log)) {}

std::shared_ptr<JackClient> JackClient::open(const std::string& name, Log log) {
    static std::once_flag silenced;
    std::call_once(silenced, [] {
        jack_set_error_function(quiet);
        jack_set_info_function(quiet);
    });
    jack_status_t status{};
    jack_client_t* handle = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!handle)
        return nullptr;
    std::shared_ptr<JackClient> client(new JackClient(std::move(log)));
    client->handle_.store(handle);
    JackClient* self = client.get();
    jack_set_process_callback(handle, &JackClient::process, self);
    jack_on_info_shutdown(handle, &JackClient::shutdown, self);
    jack_set_port_registration_callback(handle, &JackClient::registration, self);
    jack_set_port_connect_callback(handle, &JackClient::connection, self);
    if (jack_activate(handle) != 0) {
        client->close();
        return nullptr;
    }
    return client;
}

JackClient::~JackClient() {
    close();
}

void JackClient::close() {
    jack_client_t* handle = handle_.exchange(nullptr);
    if (!handle)
        return;
    // A connection the server dropped is still closed the ordinary way: libjack frees it only
    // here, and opening a new one beside it is not safe.
    if (!dead())
        jack_deactivate(handle);
    jack_client_close(handle);
    dead_.store(true, std::memory_order_release);
}

void JackClient::log(const std::string& line) const {
    if (log_)
        log_(line);
}

void JackClient::reportShutdown() {
    if (!dead() || reported_.exchange(true))
        return;
    log(std::string("JACK server shut down") + (reason_[0] ? ": " + std::string(reason_) : std::string()));
}

size_t JackClient::midiBufferSize() const {
    jack_client_t* handle = handle_.load();
    return handle ? jack_port_type_get_buffer_size(handle, JACK_DEFAULT_MIDI_TYPE) : 0;
}

std::vector<std::string> JackClient::otherPorts(bool sinks) {
    std::vector<std::string> names;
    jack_client_t* handle = handle_.load();
    if (!handle || dead())
        return names;
    const char** ports =
        jack_get_ports(handle, nullptr, JACK_DEFAULT_MIDI_TYPE, sinks ? JackPortIsInput : JackPortIsOutput);
    if (!ports)
        return names;
    for (const char** p = ports; *p; ++p) {
        jack_port_t* port = jack_port_by_name(handle, *p);
        if (port && !jack_port_is_mine(handle, port))
            names.emplace_back(*p);
    }
    jack_free(ports);
    return names;
}

int JackClient::attach(JackPortLink& link, bool input) {
    jack_client_t* handle = handle_.load();
    if (!handle || dead())
        return kMidiError;
    if (!jack_port_by_name(handle, link.peer.c_str()))
        return kMidiBadDeviceId; // gone since the list was made
    auto free = slots_.end();
    for (auto it = slots_.begin(); it != slots_.end() && free == slots_.end(); ++it)
        if (!it->load())
            free = it;
    if (free == slots_.end())
        return kMidiNoMemory;
    const std::string name = std::string(input ? "midi_in_" : "midi_out_") + std::to_string(nextPort_++);
    link.port = jack_port_register(handle, name.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                   input ? JackPortIsInput : JackPortIsOutput, 0);
    if (!link.port)
        return kMidiError;
    {
        std::lock_guard lock(linksMutex_);
        links_.push_back(&link);
    }
    free->store(&link);
    const char* ours = jack_port_name(link.port);
    const int err =
        input ? jack_connect(handle, link.peer.c_str(), ours) : jack_connect(handle, ours, link.peer.c_str());
    if (err != 0) {
        const bool gone = !jack_port_by_name(handle, link.peer.c_str());
        detach(link);
        return gone ? kMidiBadDeviceId : kMidiError;
    }
    if (!waitConnected(link, true)) {
        detach(link);
        return kMidiError;
    }
    return kMidiOk;
}

bool JackClient::waitConnected(const JackPortLink& link, bool connected) const {
    // Off the process thread, jack_port_connected reads the connections the cycles run with
    // (and first sleeps about a period while a change is pending).
    const auto until = std::chrono::steady_clock::now() + kGraphChange;
    while ((jack_port_connected(link.port) > 0) != connected) {
        if (dead() || (connected && link.gone.load()) || std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void JackClient::detach(JackPortLink& link) {
    {
        std::lock_guard lock(linksMutex_);
        std::erase(links_, &link);
    }
    jack_client_t* handle = handle_.load();
    // Cut the connections first, so that whatever the port last held goes nowhere.
    if (handle && link.port && !dead())
        jack_port_disconnect(handle, link.port);
    for (auto& slot : slots_) {
        JackPortLink* expected = &link;
        slot.compare_exchange_strong(expected, nullptr);
    }
    waitIdle();
    if (handle && link.port && !dead()) {
        waitConnected(link, false);
        jack_port_unregister(handle, link.port);
    }
    link.port = nullptr;
}

void JackClient::waitIdle() const {
    while (busy_.load() && !dead())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

// Process thread. busy_ brackets every use of the published links; with sequentially
// consistent stores and loads on both sides, a link unpublished before waitIdle saw busy_ clear
// is not used again.
int JackClient::process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackClient*>(arg);
    self->busy_.store(true);
    for (auto& slot : self->slots_)
        if (JackPortLink* link = slot.load())
            link->process(frames);
    self->busy_.store(false);
    return 0;
}

// A libjack thread, as from a signal handler: a flag and a copy of the reason, nothing else.
void JackClient::shutdown(jack_status_t, const char* reason, void* arg) {
    auto* self = static_cast<JackClient*>(arg);
    if (reason) {
        const size_t n = strnlen(reason, sizeof self->reason_ - 1);
        std::memcpy(self->reason_, reason, n);
        self->reason_[n] = '\0';
    }
    self->dead_.store(true, std::memory_order_release);
}

// Notification thread. A port that goes away is known here only by its name; when that is no
// longer readable, any link whose peer cannot be found any more is gone all the same.
void JackClient::registration(jack_port_id_t id, int registered, void* arg) {
    if (registered)
        return;
    auto* self = static_cast<JackClient*>(arg);
    jack_client_t* handle = self->handle_.load();
    if (!handle)
        return;
    jack_port_t* port = jack_port_by_id(handle, id);
    const char* name = port ? jack_port_name(port) : nullptr;
    std::lock_guard lock(self->linksMutex_);
    for (JackPortLink* link : self->links_) {
        const bool named = name && link->peer == name;
        if (named || !jack_port_by_name(handle, link->peer.c_str()))
            link->gone.store(true);
    }
}

// Notification thread. Our own disconnections come after detach has forgotten the link; any
// other one was made by another program (a patchbay), and what we send would go nowhere.
void JackClient::connection(jack_port_id_t a, jack_port_id_t b, int connected, void* arg) {
    if (connected)
        return;
    auto* self = static_cast<JackClient*>(arg);
    jack_client_t* handle = self->handle_.load();
    if (!handle)
        return;
    jack_port_t* ports[2] = {jack_port_by_id(handle, a), jack_port_by_id(handle, b)};
    std::lock_guard lock(self->linksMutex_);
    for (JackPortLink* link : self->links_)
        for (int i = 0; i < 2; ++i)
            if (ports[i] && ports[i] == link->port && ports[1 - i] &&
                link->peer == jack_port_name(ports[1 - i]))
                link->cut.store(true);
}

} // namespace vk350
