#include "jack_audio_sink.h"

#include <cmath>

namespace vk350::testing {

namespace {
constexpr float kThreshold = 0.01f; // well above a converter's rounding, well below any tone
}

JackAudioSink::JackAudioSink(const char* name) {
    jack_status_t status{};
    client_ =
        jack_client_open(name, static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
    if (!client_)
        return;
    rate_ = jack_get_sample_rate(client_);
    in_ = jack_port_register(client_, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &JackAudioSink::process, this);
    if (!in_ || jack_activate(client_) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
    }
}

JackAudioSink::~JackAudioSink() {
    if (client_)
        jack_client_close(client_);
}

std::string JackAudioSink::portName() const {
    return std::string(jack_get_client_name(client_)) + ":in";
}

int JackAudioSink::process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackAudioSink*>(arg);
    const auto* in = static_cast<const float*>(jack_port_get_buffer(self->in_, frames));
    uint64_t sounding = 0;
    float peak = self->peak_.load(std::memory_order_relaxed);
    for (jack_nframes_t i = 0; i < frames; ++i) {
        const float m = std::fabs(in[i]);
        sounding += m > kThreshold;
        peak = std::max(peak, m);
    }
    self->peak_.store(peak, std::memory_order_relaxed);
    if (sounding) {
        self->sounding_.fetch_add(sounding, std::memory_order_relaxed);
        self->cycles_.fetch_add(1, std::memory_order_relaxed);
    }
    return 0;
}

} // namespace vk350::testing
