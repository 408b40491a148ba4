// WaveDocument: one wave file bound by name, read through its region list, created, imported from
// raw bytes, saved and converted. Failures raise WaveError; a failed bind, import, save or
// conversion keeps the previous binding and leaves no temporary file behind.
// Window thread only.
#pragma once

#include "conversion_options.h"
#include "wave_file_io.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vk350 {

class SafeFile;

enum TimeUnit { tfMillisecond, tfByte, tfSample };

// Fired after each block of ImportFromRaw, SaveToFile and ConvertFile; set Cancel to stop.
using ProgressEvent =
    std::function<void(class WaveDocument& Sender, uint32_t CurByte, uint32_t NumBytes, bool& Cancel)>;

struct WaveRegion {
    uint32_t startFrame = 0;
    uint32_t startByte = 0;
    uint32_t frames = 0;
    uint32_t bytes = 0;
};

class WaveDocument {
public:
    WaveDocument();
    ~WaveDocument();
    WaveDocument(const WaveDocument&) = delete;
    WaveDocument& operator=(const WaveDocument&) = delete;

    ProgressEvent OnProgress;
    std::function<void(WaveDocument& Sender)> OnChange; // the observers: every change of binding or range

    // Binding.
    void SetFileName(const std::string& name);
    void LoadFromFile(const std::string& name) { SetFileName(name); }
    const std::string& FileName() const { return fileName_; }
    void FreeWave();
    void ClearWave();
    bool FileMustExist() const { return fileMustExist_; }
    void SetFileMustExist(bool value) { fileMustExist_ = value; }

    // The control block; none while unbound.
    const WaveIoBlock* GetWaveIOCB() const { return cb_.get(); }
    const WaveFormatEx* GetPWaveFormat() const { return cb_ ? &cb_->wfx : nullptr; }

    // Format properties.
    uint16_t BitLength() const { return cb_ ? cb_->wfx.wBitsPerSample : 0; }
    uint16_t Mode() const { return cb_ ? cb_->wfx.nChannels : 0; } // 1 mono, 2 stereo
    uint16_t FormatTag() const { return cb_ ? cb_->wfx.wFormatTag : 0; }
    std::string FormatString() const;
    uint32_t SampleRate() const { return cb_ ? cb_->wfx.nSamplesPerSec : 11025; }
    uint32_t FileSize() const { return cb_ ? cb_->dwFileSize : 0; }
    uint32_t DataSize() const; // whole file's frames in TimeFormat
    bool Empty() const { return DataSize() == 0; }

    TimeUnit TimeFormat() const { return timeFormat_; }
    void SetTimeFormat(TimeUnit value);
    uint32_t IOBufferSize() const { return ioBufferSize_; }
    void SetIOBufferSize(uint32_t value);

    // Conversions between frames, bytes and the time format.
    uint32_t SamplesToBytes(uint32_t frames) const;
    uint32_t BytesToSamples(uint32_t bytes) const;
    uint32_t RealSamplesToSamples(uint32_t frames) const { return frames; }
    uint32_t SamplesToRealSamples(uint32_t frames) const { return frames; }
    uint32_t SamplesToTimeFormat(uint32_t frames) const;
    uint32_t TimeFormatToSamples(uint32_t value) const;

    // Range and position, in TimeFormat.
    uint32_t StartPos() const { return SamplesToTimeFormat(startFrame_); }
    void SetStartPos(uint32_t value);
    uint32_t EndPos() const { return SamplesToTimeFormat(endFrame_); }
    void SetEndPos(uint32_t value);
    void SetPosition(uint32_t value);
    uint32_t GetPosition() const { return SamplesToTimeFormat(position_); }
    uint32_t GetLength() const { return SamplesToTimeFormat(GetLengthSamples()); }
    uint32_t GetLengthSamples() const { return endFrame_ - startFrame_; }
    uint32_t GetLengthBytes() const;
    uint32_t GetBytesLeft() const { return bytesLeft_; }
    const std::vector<WaveRegion>& Regions() const { return regions_; }

    void OpenFile();
    void CloseFile();
    bool IsOpen() const { return open_; }

    // Both return the bytes moved or -1 (unbound, nothing left, not writable).
    int64_t ReadDataBytes(uint8_t* buffer, uint32_t bytes);
    int64_t ReadDataSamples(uint8_t* buffer, uint32_t frames);
    int64_t WriteDataBytes(const uint8_t* buffer, uint32_t bytes);
    int64_t WriteDataSamples(const uint8_t* buffer, uint32_t frames);

    // INFO texts by id ("INAM", "ICMT", ...); "InfoChunk %s not found" for an id outside the table.
    std::string GetInfo(const std::string& id) const;
    void SetInfo(const std::string& id, const std::string& text);

    // A new file for WriteData, bound at once. It is written beside name and takes its place
    // when closed (CloseFile, FreeWave or destruction): until then a file of that name stays
    // as it was, and one the user could not write is refused.
    void CreateFile(const std::string& name, const WaveFormatEx& format);
    void ImportFromRaw(const std::string& name, uint16_t bitsPerSample, uint16_t channels,
                       uint32_t sampleRate);
    void SaveToFile(const std::string& name);
    // Exact without normalising, the default, is the converter's own conversion byte for byte.
    // Normalising reads the wave twice (its peak, then the conversion); the progress runs once
    // from start to end over both.
    void ConvertFile(const std::string& name, const WaveFormatEx* format,
                     const ConversionOptions& options = {});
    // The files ImportFromRaw and ConvertFile write are the program's work files, made again
    // whenever needed: they are written without a sync. SaveToFile and CreateFile always sync.
    bool WorkFiles() const { return workFiles_; }
    void SetWorkFiles(bool value) { workFiles_ = value; }
    // Converts as ConvertFile does, with its progress and errors, into memory: the audio bytes
    // of the converted wave.
    std::vector<uint8_t> ConvertToBytes(const WaveFormatEx* format, const ConversionOptions& options = {});

private:
    void Changed();
    bool Progress(uint32_t curByte, uint32_t numBytes); // true when cancelled
    void BuildRegions();
    void TakeBlock(PWAVEIOCB block, const std::string& name);
    void RereadIfReplaced(const std::string& target);
    uint32_t OneSecondBlock() const;
    // Closes the block; a created file then takes its target's place.
    int CloseBlock();
    void CheckConvertible(const WaveFormatEx* format) const;
    // Reads the opened wave from its start in one-second blocks and hands each, converted to
    // format, to sink.
    void ConvertBlocks(const WaveFormatEx& format, const ConversionOptions& options,
                       const std::function<void(const uint8_t*, uint32_t)>& sink);
    // The same, the chosen way other than the exact default (SampleConverter).
    void ConvertBlocksChosen(const WaveFormatEx& format, const ConversionOptions& options,
                             const std::function<void(const uint8_t*, uint32_t)>& sink);

    PWAVEIOCB cb_;
    std::string fileName_;
    bool fileMustExist_ = true;
    TimeUnit timeFormat_ = tfSample;
    uint32_t ioBufferSize_ = 32768;
    uint32_t startFrame_ = 0;
    uint32_t endFrame_ = 0;
    uint32_t position_ = 0;
    uint32_t bytesLeft_ = 0;
    std::vector<WaveRegion> regions_;
    size_t region_ = 0;       // region being read
    uint32_t regionLeft_ = 0; // bytes left in it
    bool open_ = false;
    bool workFiles_ = false;
    std::unique_ptr<SafeFile> created_; // the file CreateFile writes, until it is closed
};

} // namespace vk350
