#include "wave_source.h"

#include <algorithm>
#include <cstring>

namespace vk350 {

WaveSource::WaveSource() {
    wave_.OnChange = [this](WaveDocument&) { DoChanged(); };
}

WaveSource::~WaveSource() {
    SetDestroying();
    wave_.OnChange = nullptr;
}

void WaveSource::SetWave(const WaveDocument& other) {
    wave_.SetFileMustExist(other.FileMustExist());
    wave_.SetTimeFormat(other.TimeFormat());
    wave_.SetIOBufferSize(other.IOBufferSize());
    wave_.SetFileName(other.FileName());
}

uint8_t WaveSource::SilenceValue() const {
    const WaveFormatEx* f = GetPWaveFormat();
    return f && f->wFormatTag == WAVE_FORMAT_PCM && f->wBitsPerSample == 8 ? 128 : 0;
}

void WaveSource::DoChanged() {
    if (OnChange)
        OnChange(*this);
    SetPWaveFormat(wave_.GetPWaveFormat());
    if (OnChanged)
        OnChanged(*this);
}

void WaveSource::DoOpen() {
    if (OnOpen)
        OnOpen(*this);
}

void WaveSource::DoClose() {
    if (OnClose)
        OnClose(*this);
}

void WaveSource::Opened() {
    DspComponent::Opened();
    if (GetInput() || wave_.Empty())
        return;
    wave_.OpenFile();
    // A wave left at its end by the last playback plays again from the start.
    if (wave_.GetBytesLeft() == 0)
        wave_.SetPosition(0);
    openPosition_ = wave_.GetPosition();
    fileOpened_ = true;
    DoOpen();
}

void WaveSource::Started() {
    DspComponent::Started();
    // Every run starts where the wave stood when it was opened.
    if (fileOpened_)
        wave_.SetPosition(openPosition_);
}

void WaveSource::Closed() {
    DspComponent::Closed();
    if (!fileOpened_)
        return;
    fileOpened_ = false;
    wave_.CloseFile();
    DoClose();
}

void WaveSource::BufferLoad(ChainBuffer* header, bool& more) {
    if (GetInput()) {
        DspComponent::BufferLoad(header, more);
        return;
    }
    if (OnBufferLoad)
        OnBufferLoad(*this, header, more);
    Fill(header, more);
    if (OnBufferFilled && header->dwBytesRecorded > 0)
        OnBufferFilled(*this, header);
}

void WaveSource::Fill(ChainBuffer* header, bool& more) {
    // Whatever the header claims, only its own allocation is written.
    const uint32_t length = std::min(header->dwBufferLength, header->dwCapacity);
    if (wave_.Empty() || !header->lpData) {
        header->dwBytesRecorded = 0;
        return;
    }
    if (!IsStarted() || !enabled_) {
        std::memset(header->lpData, SilenceValue(), length);
        header->dwBytesRecorded = length;
        more = true;
        return;
    }
    const int64_t read = wave_.ReadDataBytes(header->lpData, length);
    header->dwBytesRecorded = static_cast<uint32_t>(std::clamp<int64_t>(read, 0, length));
    if (header->dwBytesRecorded == 0)
        return; // end of data: more stays as the caller set it
    if (wave_.GetBytesLeft() > 0) {
        more = true;
        return;
    }
    LoopRecord& loop = header->LoopRec;
    if (!loop.dwLooping)
        return;
    // The end of the sample is in this buffer; the start goes into the next one.
    if (loop.dwLoopCount > 0)
        --loop.dwLoopsRemaining;
    if (loop.dwLoopCount != 0 && loop.dwLoopsRemaining < 0)
        return;
    wave_.SetPosition(0);
    if (OnLooping)
        OnLooping(*this);
    more = true;
    loop.dwLoopWrap = -1;
}

} // namespace vk350
