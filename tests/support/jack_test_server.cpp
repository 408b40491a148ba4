#include "jack_test_server.h"

#include <jack/midiport.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace vk350::testing {

namespace {

using namespace std::chrono_literals;

// One name for every test program (they take turns): JACK keeps a registry of at most eight
// servers, and reclaims the entry of a server that died without unregistering (killed by a test,
// or with a test program that crashed or timed out) only when a server of the same name starts.
std::string serverName() {
    return "vk350-test-" + std::to_string(getuid());
}

// A probe connection: the server answers once it is ready.
bool answers() {
    jack_status_t status{};
    jack_client_t* c = jack_client_open("probe", JackNoStartServer, &status);
    if (!c)
        return false;
    jack_client_close(c);
    return true;
}

void quiet(const char*) {}

} // namespace

JackTestServer::JackTestServer() {
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    setenv("JACK_DEFAULT_SERVER", serverName().c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    // Test programs run side by side; the server's name is one, so they take turns.
    lock_ = ::open("/tmp/vk350-jack-tests.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock_ < 0 || flock(lock_, LOCK_EX) != 0) {
        failure_ = "cannot lock /tmp/vk350-jack-tests.lock";
        return;
    }
    start();
}

JackTestServer::~JackTestServer() {
    stop();
    if (lock_ >= 0)
        ::close(lock_);
}

bool JackTestServer::start() {
    stop();
    failure_.clear();
    missing_ = false;
    pid_ = fork();
    if (pid_ == 0) {
        // The server goes with the test program, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int null = ::open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execlp("jackd", "jackd", "-r", "-S", "-t", "2000", "-d", "dummy", "-r", "48000", "-p", "1024",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0) {
        failure_ = "cannot fork for jackd";
        return false;
    }
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            missing_ = WIFEXITED(status) && WEXITSTATUS(status) == 127;
            failure_ = missing_ ? "jackd is not installed (scripts/setup.sh installs jackd2)"
                                : "jackd -d dummy ended at start (status " + std::to_string(status) + ")";
            return false;
        }
        if (answers())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    failure_ = "jackd did not answer within 10 s";
    stop();
    return false;
}

void JackTestServer::kill() {
    if (pid_ > 0)
        ::kill(pid_, SIGKILL);
}

void JackTestServer::pause() {
    if (pid_ > 0)
        ::kill(pid_, SIGSTOP);
}

void JackTestServer::resume() {
    if (pid_ > 0)
        ::kill(pid_, SIGCONT);
}

void JackTestServer::stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    ::kill(pid_, SIGCONT);
    int status = 0;
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    pid_ = -1;
    // A killed server leaves its semaphores and segments behind; the next start must not meet them.
    std::error_code ec;
    const std::string name = serverName();
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ec))
        if (entry.path().filename().string().find(name) != std::string::npos)
            std::filesystem::remove_all(entry.path(), ec);
}

JackPeer::JackPeer(const char* name, bool thru, std::chrono::microseconds lag) : thru_(thru), lag_(lag) {
    jack_status_t status{};
    client_ =
        jack_client_open(name, static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
    if (!client_)
        return;
    sink_ = jack_port_register(client_, "sink", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    source_ = jack_port_register(client_, "source", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(client_, &JackPeer::process, this);
    if (!sink_ || !source_ || jack_activate(client_) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
    }
}

JackPeer::~JackPeer() {
    if (client_)
        jack_client_close(client_);
}

std::string JackPeer::sinkName() const {
    return std::string(jack_get_client_name(client_)) + ":sink";
}

std::string JackPeer::sourceName() const {
    return std::string(jack_get_client_name(client_)) + ":source";
}

void JackPeer::emit(std::vector<Bytes> cycle) {
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(cycle));
}

bool JackPeer::emitted() {
    std::lock_guard lock(mutex_);
    return pending_.empty();
}

std::vector<JackPeer::Event> JackPeer::received() {
    std::lock_guard lock(mutex_);
    return got_;
}

void JackPeer::unregisterSink() {
    jack_port_t* port = nullptr;
    {
        std::lock_guard lock(mutex_);
        port = std::exchange(sink_, nullptr);
    }
    jack_port_unregister(client_, port);
}

void JackPeer::disconnectSink() {
    jack_port_disconnect(client_, sink_);
}

void JackPeer::unregisterSource() {
    jack_port_t* port = nullptr;
    {
        std::lock_guard lock(mutex_);
        port = std::exchange(source_, nullptr);
    }
    jack_port_unregister(client_, port);
}

std::vector<std::string> JackPeer::connections(bool sink) {
    std::vector<std::string> names;
    const char** list = jack_port_get_all_connections(client_, sink ? sink_ : source_);
    for (const char** p = list; p && *p; ++p)
        names.emplace_back(*p);
    jack_free(list);
    return names;
}

// A test's helper: it may lock, the server waits for it (-t 2000).
int JackPeer::process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackPeer*>(arg);
    if (self->lag_.count() > 0)
        std::this_thread::sleep_for(self->lag_);
    std::lock_guard lock(self->mutex_);
    ++self->cycle_;
    void* out = self->source_ ? jack_port_get_buffer(self->source_, frames) : nullptr;
    if (out)
        jack_midi_clear_buffer(out);
    if (self->sink_) {
        void* in = jack_port_get_buffer(self->sink_, frames);
        const uint32_t count = jack_midi_get_event_count(in);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t e;
            if (jack_midi_event_get(&e, in, i) != 0)
                continue;
            self->got_.push_back({self->cycle_, Bytes(e.buffer, e.buffer + e.size)});
            if (self->thru_ && out)
                jack_midi_event_write(out, e.time, e.buffer, e.size);
        }
    }
    if (out && !self->pending_.empty()) {
        for (const Bytes& b : self->pending_.front())
            jack_midi_event_write(out, frames - 1, b.data(), b.size());
        self->pending_.pop_front();
    }
    return 0;
}

} // namespace vk350::testing
