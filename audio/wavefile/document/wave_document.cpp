#include "wave_document.h"

#include "byte_order.h"
#include "safe_file.h"
#include "wave_error.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace vk350 {

WaveDocument::WaveDocument() = default;

WaveDocument::~WaveDocument() {
    if (cb_)
        CloseBlock();
}

int WaveDocument::CloseBlock() {
    int r = wioWaveClose(cb_.get());
    if (created_) {
        // Complete now: it replaces the target, and is read under the target's name.
        if (r == WIOERR_NOERROR && created_->commit())
            cb_->szFileName = fileName_;
        else
            r = WIOERR_FILEIO;
        created_.reset();
    }
    return r;
}

void WaveDocument::Changed() {
    if (OnChange)
        OnChange(*this);
}

bool WaveDocument::Progress(uint32_t curByte, uint32_t numBytes) {
    bool cancel = false;
    if (OnProgress)
        OnProgress(*this, curByte, numBytes, cancel);
    return cancel;
}

std::string WaveDocument::FormatString() const {
    if (!cb_)
        return std::string();
    const WaveFormatEx& w = cb_->wfx;
    if (w.wFormatTag != WAVE_FORMAT_PCM)
        return "Format " + std::to_string(w.wFormatTag) + ", " + std::to_string(w.nSamplesPerSec) + " Hz";
    return "PCM, " + std::to_string(w.nSamplesPerSec) + " Hz, " + std::to_string(w.wBitsPerSample) +
           " Bit, " +
           (w.nChannels == 1   ? std::string("Mono")
            : w.nChannels == 2 ? std::string("Stereo")
                               : std::to_string(w.nChannels) + " Channels");
}

uint32_t WaveDocument::DataSize() const {
    return cb_ ? SamplesToTimeFormat(cb_->dwDataSamples) : 0;
}

void WaveDocument::SetTimeFormat(TimeUnit value) {
    if (value != timeFormat_) {
        timeFormat_ = value;
        Changed();
    }
}

void WaveDocument::SetIOBufferSize(uint32_t value) {
    ioBufferSize_ = std::max<uint32_t>(value, 8192);
}

uint32_t WaveDocument::SamplesToBytes(uint32_t frames) const {
    return cb_ ? wioSamplesToBytes(*cb_, frames) : 0;
}

uint32_t WaveDocument::BytesToSamples(uint32_t bytes) const {
    return cb_ ? wioBytesToSamples(*cb_, bytes) : 0;
}

uint32_t WaveDocument::SamplesToTimeFormat(uint32_t frames) const {
    if (!cb_)
        return 0;
    switch (timeFormat_) {
    case tfMillisecond:
        return wioSamplesToTime(*cb_, frames);
    case tfByte:
        return wioSamplesToBytes(*cb_, frames);
    case tfSample:
        break;
    }
    return frames;
}

uint32_t WaveDocument::TimeFormatToSamples(uint32_t value) const {
    if (!cb_)
        return 0;
    switch (timeFormat_) {
    case tfMillisecond:
        return wioTimeToSamples(*cb_, value);
    case tfByte:
        return wioBytesToSamples(*cb_, value);
    case tfSample:
        break;
    }
    return value;
}

uint32_t WaveDocument::GetLengthBytes() const {
    uint32_t bytes = 0;
    for (const WaveRegion& r : regions_)
        bytes += r.bytes;
    return bytes;
}

void WaveDocument::BuildRegions() {
    regions_.clear();
    region_ = 0;
    regionLeft_ = 0;
    if (!cb_)
        return;
    WaveRegion r;
    r.startFrame = startFrame_;
    r.startByte = SamplesToBytes(startFrame_);
    r.frames = endFrame_ - startFrame_;
    const uint32_t endByte = std::min(SamplesToBytes(endFrame_), cb_->dwDataBytes);
    r.bytes = endByte > r.startByte ? endByte - r.startByte : 0;
    regions_.push_back(r);
}

void WaveDocument::TakeBlock(PWAVEIOCB block, const std::string& name) {
    cb_ = std::move(block);
    startFrame_ = cb_->dwFirstSample;
    endFrame_ = cb_->dwLastSample;
    position_ = cb_->dwPosition;
    bytesLeft_ = static_cast<uint32_t>(std::max(cb_->dwBytesLeft, 0));
    fileName_ = name;
    BuildRegions();
    Changed();
}

void WaveDocument::SetFileName(const std::string& name) {
    if (name.empty()) {
        FreeWave();
        return;
    }
    std::error_code ec;
    const std::string full = fs::absolute(name, ec).lexically_normal().string();
    const bool exists = fs::exists(full, ec);
    if (cb_ && full == fileName_ && exists && fs::file_size(full, ec) == FileSize() && !ec)
        return;
    PWAVEIOCB block;
    if (exists && wioReadFileInfo(block, full, fourcc("WAVE"), RIFF_FILE) == WIOERR_NOERROR) {
        ClearWave();
        TakeBlock(std::move(block), full);
        return;
    }
    if (exists || fileMustExist_) {
        if (exists && !wioIsWaveFile(full, RIFF_FILE))
            throw WaveError("Invalid wave file...");
        throw WaveError("Error reading wave file");
    }
    ClearWave();
    fileName_ = full;
    Changed();
}

void WaveDocument::FreeWave() {
    if (fileName_.empty() && !cb_)
        return;
    ClearWave();
}

void WaveDocument::ClearWave() {
    if (cb_)
        CloseBlock();
    open_ = false;
    cb_.reset();
    fileName_.clear();
    regions_.clear();
    region_ = 0;
    regionLeft_ = 0;
    startFrame_ = endFrame_ = position_ = bytesLeft_ = 0;
    Changed();
}

void WaveDocument::OpenFile() {
    if (!cb_)
        throw WaveError("Unable to open wave file");
    if (open_ && cb_->hFile)
        return;
    // Raw files need no buffer of ours.
    cb_->ioBufferSize = (cb_->dwFlags & RAW_FILE) ? 0 : ioBufferSize_;
    const int r = wioWaveOpen(cb_.get());
    if (r == WIOERR_NOMEM)
        throw WaveError("Unable to setup file IO buffer");
    if (r != WIOERR_NOERROR)
        throw WaveError("Unable to open wave file");
    BuildRegions();
    open_ = true;
    SetPosition(GetPosition());
}

void WaveDocument::CloseFile() {
    if (!cb_)
        return;
    const bool written = cb_->created;
    const int r = CloseBlock();
    open_ = false;
    bytesLeft_ = 0;
    if (written) {
        // The file is complete now: take its final length.
        startFrame_ = 0;
        endFrame_ = cb_->dwLastSample;
        position_ = 0;
        BuildRegions();
        Changed();
        if (r != WIOERR_NOERROR)
            throw WaveError("Unable to create wave file");
    }
}

void WaveDocument::SetStartPos(uint32_t value) {
    const uint32_t frame = std::min(TimeFormatToSamples(value), endFrame_);
    if (frame != startFrame_) {
        startFrame_ = frame;
        BuildRegions();
        Changed();
    }
}

void WaveDocument::SetEndPos(uint32_t value) {
    const uint32_t limit = cb_ ? cb_->dwDataSamples : 0;
    const uint32_t frame = std::clamp(TimeFormatToSamples(value), std::min(startFrame_, limit), limit);
    if (frame != endFrame_) {
        endFrame_ = frame;
        BuildRegions();
        Changed();
    }
}

void WaveDocument::SetPosition(uint32_t value) {
    position_ = TimeFormatToSamples(value);
    if (!open_ || !cb_)
        return;
    const uint32_t length = GetLengthSamples();
    position_ = std::min(position_, length);
    const uint32_t lengthBytes = GetLengthBytes();
    const uint32_t skipped = SamplesToBytes(position_);
    bytesLeft_ = lengthBytes > skipped ? lengthBytes - skipped : 0;
    uint32_t sum = 0;
    size_t i = 0;
    for (; i < regions_.size(); ++i) {
        if (position_ < sum + regions_[i].frames || i + 1 == regions_.size())
            break;
        sum += regions_[i].frames;
    }
    if (i >= regions_.size() || position_ > sum + regions_[i].frames)
        throw WaveError("Error seeking file position");
    const uint32_t offset = position_ - sum;
    const int64_t frame = int64_t(regions_[i].startFrame) + offset;
    if (wioWaveSetPosition(cb_.get(), frame) != WIOERR_NOERROR &&
        wioWaveSetPosition(cb_.get(), frame) != WIOERR_NOERROR)
        throw WaveError("Error seeking file position");
    region_ = i;
    const uint32_t into = SamplesToBytes(offset);
    regionLeft_ = regions_[i].bytes > into ? regions_[i].bytes - into : 0;
}

int64_t WaveDocument::ReadDataBytes(uint8_t* buffer, uint32_t bytes) {
    if (!cb_ || !open_ || bytesLeft_ == 0 || !buffer || bytes == 0)
        return -1;
    const uint32_t want = std::min(bytes, bytesLeft_);
    uint32_t done = 0;
    while (done < want) {
        if (regionLeft_ == 0) {
            if (region_ + 1 >= regions_.size()) {
                bytesLeft_ = 0;
                break;
            }
            ++region_;
            if (wioWaveSetPosition(cb_.get(), regions_[region_].startFrame) != WIOERR_NOERROR)
                break;
            regionLeft_ = regions_[region_].bytes;
            continue;
        }
        const uint32_t chunk = std::min(want - done, regionLeft_);
        const int64_t got = wioWaveReadData(cb_.get(), buffer + done, chunk);
        if (got <= 0)
            break;
        done += static_cast<uint32_t>(got);
        regionLeft_ -= static_cast<uint32_t>(got);
        if (got < chunk)
            break;
    }
    const uint32_t length = GetLengthSamples();
    if (done > 0) {
        bytesLeft_ = bytesLeft_ > done ? bytesLeft_ - done : 0;
        const uint32_t framesLeft = BytesToSamples(bytesLeft_);
        position_ = length > framesLeft ? length - framesLeft : 0;
        return done;
    }
    // Nothing came although bytes were left (the file shrank): hand out a little silence and
    // end the stream, so a player stops instead of asking again forever.
    const uint32_t zeros = std::min<uint32_t>(4, bytes);
    std::fill_n(buffer, zeros, uint8_t(0));
    bytesLeft_ = 0;
    regionLeft_ = 0;
    position_ = length;
    return zeros;
}

int64_t WaveDocument::ReadDataSamples(uint8_t* buffer, uint32_t frames) {
    const int64_t got = ReadDataBytes(buffer, SamplesToBytes(frames));
    return got <= 0 ? got : BytesToSamples(static_cast<uint32_t>(got));
}

int64_t WaveDocument::WriteDataBytes(const uint8_t* buffer, uint32_t bytes) {
    if (!cb_)
        return -1;
    const int64_t put = wioWaveWriteData(cb_.get(), buffer, bytes);
    if (put > 0) {
        endFrame_ = cb_->dwLastSample;
        position_ = cb_->dwPosition;
    }
    return put;
}

int64_t WaveDocument::WriteDataSamples(const uint8_t* buffer, uint32_t frames) {
    const int64_t put = WriteDataBytes(buffer, SamplesToBytes(frames));
    return put <= 0 ? put : BytesToSamples(static_cast<uint32_t>(put));
}

std::string WaveDocument::GetInfo(const std::string& id) const {
    std::string text;
    if (InfoList::indexOf(id) < 0)
        throw WaveError("InfoChunk " + id + " not found");
    if (cb_)
        cb_->pInfo.text(id, text);
    return text;
}

void WaveDocument::SetInfo(const std::string& id, const std::string& text) {
    if (InfoList::indexOf(id) < 0)
        throw WaveError("InfoChunk " + id + " not found");
    if (cb_)
        cb_->pInfo.setText(id, text);
}

void WaveDocument::CreateFile(const std::string& name, const WaveFormatEx& format) {
    std::error_code ec;
    const std::string full =
        name.empty() ? std::string() : fs::absolute(name, ec).lexically_normal().string();
    if (full.empty())
        throw WaveError("Unable to create wave file");
    auto file = std::make_unique<SafeFile>();
    PWAVEIOCB block;
    if (!file->open(full) || wioCreateFileInfo(block, &format) != WIOERR_NOERROR)
        throw WaveError("Unable to create wave file");
    block->ioBufferSize = ioBufferSize_;
    if (wioWriteFileInfo(block.get(), file->tempPath()) != WIOERR_NOERROR)
        throw WaveError("Unable to create wave file");
    ClearWave();
    TakeBlock(std::move(block), full);
    created_ = std::move(file);
    open_ = true;
}

} // namespace vk350
