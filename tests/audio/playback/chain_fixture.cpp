#include "chain_fixture.h"

#include "pcm_support.h"

using namespace vk350;

vk350::WaveFormatEx pcmFormat(uint16_t bits, uint16_t channels, uint32_t rate) {
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, bits, channels, rate);
    return f;
}

Bytes rampBytes(size_t count) {
    Bytes b(count);
    for (size_t i = 0; i < count; ++i)
        b[i] = uint8_t(i % 251);
    return b;
}

PlaybackRig::PlaybackRig() {
    device_.setRecording(true); // the tests compare what was played
    file_.SetOutput(&out_);
    out_.SetOutput(&connector_);
    out_.SetDeviceID(WAVE_MAPPER);
    out_.OnStart = [this](WavePlayer&) { events_.push_back("start"); };
    out_.OnStop = [this](WavePlayer&) { events_.push_back("stop"); };
    out_.OnOpen = [this](WavePlayer&) { events_.push_back("open"); };
    out_.OnClose = [this](WavePlayer&) { events_.push_back("close"); };
    out_.OnPause = [this](WavePlayer&) { events_.push_back("pause"); };
    out_.OnRestart = [this](WavePlayer&) { events_.push_back("restart"); };
    out_.OnLooping = [this](WavePlayer&) { events_.push_back("looping"); };
    out_.OnError = [this](WavePlayer&, const std::string& text) { events_.push_back("error " + text); };
}

void PlaybackRig::load(const Bytes& data, uint16_t bits, uint16_t channels, uint32_t rate) {
    const std::string name = "play" + std::to_string(++loadCount_) + ".wav";
    writeFile(name, pcmWave(bits, channels, rate, data));
    file_.Wave().SetFileName(path(name));
}

void PlaybackRig::step(int64_t micros) {
    clock_.advance(micros);
    device_.tick();
    dispatcher_.runPending();
}

bool PlaybackRig::playToEnd(int64_t stepMicros, int64_t maxMicros) {
    for (int64_t t = 0; t < maxMicros && out_.IsPlaying(); t += stepMicros)
        step(stepMicros);
    dispatcher_.runPending();
    return !out_.IsPlaying();
}
