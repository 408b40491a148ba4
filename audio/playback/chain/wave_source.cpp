#include "wave_source.h"

#include <algorithm>
#include <cstring>

namespace vk350 {

TMMWaveFile::TMMWaveFile() {
    wave_.OnChange = [this](TMMWave&) { DoChanged(); };
}

TMMWaveFile::~TMMWaveFile() {
    SetDestroying();
    wave_.OnChange = nullptr;
}

void TMMWaveFile::SetWave(const TMMWave& other) {
    wave_.SetFileMustExist(other.FileMustExist());
    wave_.SetTimeFormat(other.TimeFormat());
    wave_.SetIOBufferSize(other.IOBufferSize());
    wave_.SetFileName(other.FileName());
}

uint8_t TMMWaveFile::SilenceValue() const {
    const tWAVEFORMATEX* f = GetPWaveFormat();
    return f && f->wFormatTag == WAVE_FORMAT_PCM && f->wBitsPerSample == 8 ? 128 : 0;
}

void TMMWaveFile::DoChanged() {
    if (OnChange)
        OnChange(*this);
    SetPWaveFormat(wave_.GetPWaveFormat());
    if (OnChanged)
        OnChanged(*this);
}

void TMMWaveFile::DoOpen() {
    if (OnOpen)
        OnOpen(*this);
}

void TMMWaveFile::DoClose() {
    if (OnClose)
        OnClose(*this);
}

void TMMWaveFile::Opened() {
    TMMDSPComponent::Opened();
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

void TMMWaveFile::Started() {
    TMMDSPComponent::Started();
    // Every run starts where the wave stood when it was opened.
    if (fileOpened_)
        wave_.SetPosition(openPosition_);
}

void TMMWaveFile::Closed() {
    TMMDSPComponent::Closed();
    if (!fileOpened_)
        return;
    fileOpened_ = false;
    wave_.CloseFile();
    DoClose();
}

void TMMWaveFile::BufferLoad(TMMWaveHdr* header, bool& more) {
    if (GetInput()) {
        TMMDSPComponent::BufferLoad(header, more);
        return;
    }
    if (OnBufferLoad)
        OnBufferLoad(*this, header, more);
    Fill(header, more);
    if (OnBufferFilled && header->dwBytesRecorded > 0)
        OnBufferFilled(*this, header);
}

void TMMWaveFile::Fill(TMMWaveHdr* header, bool& more) {
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
    TMMLoopRec& loop = header->LoopRec;
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
