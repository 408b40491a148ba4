#include "band_limited_resampler.h"

#include "wave_error.h"

#include <soxr.h>

namespace vk350 {

BandLimitedResampler::BandLimitedResampler(uint32_t inRate, uint32_t outRate, unsigned channels)
    : channels_(channels), ratio_(double(outRate) / double(inRate)) {
    if (inRate == outRate)
        return;
    // 20-bit quality leaves aliasing far below the 8-bit floor; the default pass band (91% of
    // the new Nyquist frequency) keeps the audible top of a 22050 Hz sample. One thread: the
    // editor's machine is shared with its playback and MIDI.
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    soxr_ = soxr_create(inRate, outRate, channels, &error, &io, &quality, &runtime);
    if (error || !soxr_)
        throw WaveError("Unable to set up the rate conversion");
}

BandLimitedResampler::~BandLimitedResampler() {
    if (soxr_)
        soxr_delete(soxr_);
}

void BandLimitedResampler::Run(const float* in, size_t frames, std::vector<float>& out) {
    // Room for what this input yields and what the filter held back; called again while the
    // room was filled, since more may be waiting.
    const size_t room = size_t(double(frames) * ratio_) + 256;
    for (;;) {
        const size_t at = out.size();
        out.resize(at + room * channels_);
        size_t used = 0;
        size_t made = 0;
        const soxr_error_t error =
            soxr_process(soxr_, in, in ? frames : 0, in ? &used : nullptr, out.data() + at, room, &made);
        out.resize(at + made * channels_);
        if (error)
            throw WaveError("Unable to convert wave file");
        if (in) {
            in += used * channels_;
            frames -= used;
        }
        if (frames == 0 && made < room)
            return;
    }
}

void BandLimitedResampler::Process(const float* in, size_t frames, std::vector<float>& out) {
    if (!soxr_) {
        out.insert(out.end(), in, in + frames * channels_);
        return;
    }
    if (frames > 0)
        Run(in, frames, out);
}

void BandLimitedResampler::Flush(std::vector<float>& out) {
    if (soxr_)
        Run(nullptr, 0, out);
}

void BandLimitedResampler::Restart() {
    if (soxr_)
        soxr_clear(soxr_);
}

} // namespace vk350
