// WaveDocument's long file operations: import of raw bytes, save and conversion. Each works in
// one-second blocks through the safe writer, so the target is replaced only when complete.
#include "wave_document.h"

#include "byte_order.h"
#include "pcm_convert.h"
#include "pcm_narrower.h"
#include "pcm_support.h"
#include "safe_file.h"
#include "sample_converter.h"
#include "wave_error.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace vk350 {

namespace {

struct Failed {};    // ends an operation with its "unable to" message
struct Cancelled {}; // ends it with its "aborted" message

// The target of an operation, written through the safe writer: the temporary file is removed,
// with its block closed, unless committed.
class TempTarget {
public:
    explicit TempTarget(const std::string& target, bool scratch = false) : target_(target) {
        file_.setScratch(scratch);
    }
    ~TempTarget() {
        if (block)
            wioWaveClose(block.get());
    }

    // Refuses a target the user could not write; creates the temporary file beside it with the
    // headers of format.
    void create(const WaveFormatEx& format, uint32_t ioBufferSize) {
        if (!file_.open(target_))
            throw Failed{};
        if (wioCreateFileInfo(block, &format) != WIOERR_NOERROR)
            throw Failed{};
        block->ioBufferSize = ioBufferSize;
        if (wioWriteFileInfo(block.get(), file_.tempPath()) != WIOERR_NOERROR)
            throw Failed{};
    }

    // Space for the bytes and a margin must be free on the target's drive before each write.
    void write(const uint8_t* data, uint32_t bytes, uint32_t ioBufferSize) {
        std::error_code ec;
        const fs::space_info space = fs::space(fs::path(file_.tempPath()).parent_path(), ec);
        if (ec || space.available < uint64_t(bytes) + ioBufferSize + 10240)
            throw Failed{};
        if (wioWaveWriteData(block.get(), data, bytes) != int64_t(bytes))
            throw Failed{};
    }

    // Completes the file and moves it over the target in one step.
    void commit() {
        const int r = wioWaveClose(block.get());
        block.reset();
        if (r != WIOERR_NOERROR || !file_.commit())
            throw Failed{};
    }

    PWAVEIOCB block;

private:
    std::string target_;
    vk350::SafeFile file_;
};

std::string fullName(const std::string& name) {
    std::error_code ec;
    return fs::absolute(name, ec).lexically_normal().string();
}

// Runs one long operation and turns each way it can end early into the operation's own error
// text, after close has released the source.
template <class Close, class Body>
void runFileJob(const char* abortedText, const char* failedText, Close&& close, Body&& body) {
    try {
        body();
    } catch (const Cancelled&) {
        close();
        throw WaveError(abortedText);
    } catch (const Failed&) {
        close();
        throw WaveError(failedText);
    } catch (const std::bad_alloc&) {
        close();
        throw WaveError(failedText);
    } catch (const WaveError&) {
        close();
        throw WaveError(failedText);
    }
}

} // namespace

// A save or conversion onto the wave's own file replaced it: the block still describes the old
// layout (data offset, length, format), so it is read again from the new file. The target may
// name that file through a link.
void WaveDocument::RereadIfReplaced(const std::string& target) {
    std::error_code ec;
    if (target != fileName_ && !fs::equivalent(target, fileName_, ec))
        return;
    PWAVEIOCB block;
    if (wioReadFileInfo(block, fileName_, fourcc("WAVE"), RIFF_FILE) == WIOERR_NOERROR)
        TakeBlock(std::move(block), fileName_);
}

uint32_t WaveDocument::OneSecondBlock() const {
    const WaveFormatEx& w = cb_->wfx;
    const uint32_t align = std::max<uint32_t>(w.nBlockAlign, 1);
    // The byte rate comes from the file: a damaged header must not ask for gigabytes at once.
    // Every format the reader takes stays below the cap, so its blocks are whole seconds.
    constexpr uint32_t kMaxBlock = 16u << 20;
    const uint64_t stated = std::min<uint64_t>(w.nAvgBytesPerSec, uint64_t(w.nSamplesPerSec) * align);
    const uint32_t rate = uint32_t(std::min<uint64_t>(stated, kMaxBlock));
    return std::max(rate / align * align, align);
}

void WaveDocument::ImportFromRaw(const std::string& name, uint16_t bitsPerSample, uint16_t channels,
                                 uint32_t sampleRate) {
    if (name.empty() || (bitsPerSample != 8 && bitsPerSample != 16) || (channels != 1 && channels != 2))
        throw WaveError("Invalid param passed!");
    WaveFormatEx format;
    pcmBuildWaveHeader(&format, bitsPerSample, channels, sampleRate);
    // A rate of 0 gives an empty block and a loop that reads nothing; a byte rate beyond 32 bits
    // wraps in the header and gives a file that cannot be read back.
    if (sampleRate == 0 || uint64_t(format.nBlockAlign) * sampleRate > UINT32_MAX)
        throw WaveError("Invalid param passed!");
    const std::string raw = fullName(name);
    std::string target;
    runFileJob(
        "Import aborted", "Unable to import wave file", [] {},
        [&] {
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(raw.c_str(), "rb"), &std::fclose);
            std::error_code ec;
            const uintmax_t size = fs::file_size(raw, ec);
            if (!in || ec || size == 0 || size > UINT32_MAX)
                throw Failed{};
            target = fs::path(raw).replace_extension(".WAV").string();
            TempTarget out(target, workFiles_);
            out.create(format, ioBufferSize_);
            const uint32_t blockSize = format.nAvgBytesPerSec / format.nBlockAlign * format.nBlockAlign;
            std::vector<uint8_t> buffer(blockSize);
            uint32_t done = 0;
            const auto total = static_cast<uint32_t>(size);
            while (done < total) {
                const size_t got = std::fread(buffer.data(), 1, std::min(blockSize, total - done), in.get());
                if (got == 0)
                    break;
                out.write(buffer.data(), static_cast<uint32_t>(got), ioBufferSize_);
                done += static_cast<uint32_t>(got);
                if (Progress(done, total))
                    throw Cancelled{};
            }
            in.reset();
            out.commit();
        });
    ClearWave();
    SetFileName(target);
}

void WaveDocument::SaveToFile(const std::string& name) {
    if (!cb_ || name.empty())
        throw WaveError("Invalid param passed!");
    runFileJob(
        "Saving was aborted", "Unable to save wave file", [this] { CloseFile(); },
        [&] {
            SetPosition(0);
            OpenFile();
            const uint32_t total = bytesLeft_;
            TempTarget out(fullName(name));
            out.create(cb_->wfx, ioBufferSize_);
            wioCopyFileInfo(out.block.get(), cb_.get());
            std::vector<uint8_t> buffer(OneSecondBlock());
            uint32_t done = 0;
            for (;;) {
                const int64_t got = ReadDataBytes(buffer.data(), static_cast<uint32_t>(buffer.size()));
                if (got <= 0)
                    break;
                out.write(buffer.data(), static_cast<uint32_t>(got), ioBufferSize_);
                done += static_cast<uint32_t>(got);
                if (Progress(done, total))
                    throw Cancelled{};
            }
            CloseFile();
            out.commit();
        });
    RereadIfReplaced(fullName(name));
}

void WaveDocument::CheckConvertible(const WaveFormatEx* format) const {
    if (!cb_ || !format)
        throw WaveError("Invalid param passed!");
    if ((!pcmIsValidFormat(&cb_->wfx) && !PcmNarrower::Narrows(cb_->wfx)) || !pcmIsValidFormat(format))
        throw WaveError("This wave file is not valid for conversion");
}

namespace {

// Reads the opened wave from its position up to total bytes, one buffer at a time, and hands
// each to take with the bytes done so far; the reading ends early when it delivers nothing or
// take returns false.
template <class Take>
void readBlocks(WaveDocument& wave, uint32_t total, std::vector<uint8_t>& buffer, Take&& take) {
    const auto size = static_cast<uint32_t>(buffer.size());
    uint32_t done = 0;
    while (done < total) {
        const int64_t got = wave.ReadDataBytes(buffer.data(), std::min(size, total - done));
        if (got <= 0)
            break;
        done += static_cast<uint32_t>(got);
        if (!take(static_cast<uint32_t>(got), done))
            break;
    }
}

// The source as the converter takes it: the wave's own bytes, or narrowed to 16-bit PCM when
// its format needs that.
class Narrowing {
public:
    explicit Narrowing(const WaveFormatEx& wfx) : wfx_(wfx) {
        if (PcmNarrower::Narrows(wfx))
            narrower_.emplace(wfx);
    }
    const WaveFormatEx& Source() const { return narrower_ ? narrower_->Target() : wfx_; }
    // What a block of source bytes becomes.
    size_t Bytes(size_t bytes) const {
        return narrower_ ? bytes / wfx_.nBlockAlign * narrower_->Target().nBlockAlign : bytes;
    }
    std::pair<const uint8_t*, size_t> Apply(const uint8_t* data, size_t bytes) const {
        if (!narrower_)
            return {data, bytes};
        narrower_->Narrow(data, bytes, scratch_);
        return {scratch_.data(), scratch_.size()};
    }

private:
    const WaveFormatEx& wfx_;
    std::optional<PcmNarrower> narrower_;
    mutable std::vector<uint8_t> scratch_;
};

} // namespace

void WaveDocument::ConvertBlocks(const WaveFormatEx& format, const ConversionOptions& options,
                                 const std::function<void(const uint8_t*, uint32_t)>& sink) {
    if (options != ConversionOptions{}) {
        ConvertBlocksChosen(format, options, sink);
        return;
    }
    const Narrowing narrowing(cb_->wfx);
    const PcmWaveFormat src = pcmView(narrowing.Source());
    const PcmWaveFormat dst = pcmView(format);
    const uint32_t total = bytesLeft_;
    const uint32_t blockSize = OneSecondBlock();
    std::vector<uint8_t> in(blockSize);
    // A short last block may yield one frame more than its share; one spare frame covers it.
    const int64_t outSize =
        PCMCONVERTSIZEOUTPUTDATA(dst, src, narrowing.Bytes(blockSize)) + format.nBlockAlign;
    std::vector<uint8_t> converted(static_cast<size_t>(outSize));
    readBlocks(*this, total, in, [&](uint32_t got, uint32_t done) {
        const auto [data, size] = narrowing.Apply(in.data(), got);
        const int64_t bytes = PCMCONVERT(dst, converted, src, data, int64_t(size));
        if (bytes <= 0)
            return false;
        sink(converted.data(), static_cast<uint32_t>(bytes));
        if (Progress(done, total))
            throw Cancelled{};
        return true;
    });
}

void WaveDocument::ConvertBlocksChosen(const WaveFormatEx& format, const ConversionOptions& options,
                                       const std::function<void(const uint8_t*, uint32_t)>& sink) {
    const Narrowing narrowing(cb_->wfx);
    SampleConverter converter(narrowing.Source(), format, options);
    const uint32_t total = bytesLeft_;
    std::vector<uint8_t> in(OneSecondBlock());
    std::vector<uint8_t> converted;
    const auto hand = [&] {
        if (!converted.empty())
            sink(converted.data(), static_cast<uint32_t>(converted.size()));
        converted.clear();
    };
    // Normalising reads the wave once for its peak, then again to convert it.
    const int passes = converter.NeedsPeak() ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const bool measuring = pass + 1 < passes;
        SetPosition(0);
        readBlocks(*this, total, in, [&](uint32_t got, uint32_t done) {
            const auto [data, size] = narrowing.Apply(in.data(), got);
            if (measuring)
                converter.Measure(data, size);
            else
                converter.Convert(data, size, converted);
            hand();
            if (Progress(uint32_t((uint64_t(pass) * total + done) / passes), total))
                throw Cancelled{};
            return true;
        });
        if (measuring)
            converter.EndMeasure();
    }
    converter.Finish(converted);
    hand();
}

void WaveDocument::ConvertFile(const std::string& name, const WaveFormatEx* format,
                               const ConversionOptions& options) {
    if (name.empty())
        throw WaveError("Invalid param passed!");
    CheckConvertible(format);
    runFileJob(
        "Conversion aborted", "Unable to convert wave file", [this] { CloseFile(); },
        [&] {
            SetPosition(0);
            OpenFile();
            TempTarget out(fullName(name), workFiles_);
            out.create(*format, ioBufferSize_);
            wioCopyFileInfo(out.block.get(), cb_.get());
            ConvertBlocks(*format, options, [&](const uint8_t* data, uint32_t bytes) {
                out.write(data, bytes, ioBufferSize_);
            });
            CloseFile();
            out.commit();
        });
    RereadIfReplaced(fullName(name));
}

std::vector<uint8_t> WaveDocument::ConvertToBytes(const WaveFormatEx* format,
                                                  const ConversionOptions& options) {
    CheckConvertible(format);
    std::vector<uint8_t> result;
    runFileJob(
        "Conversion aborted", "Unable to convert wave file", [this] { CloseFile(); },
        [&] {
            SetPosition(0);
            OpenFile();
            // Room for the whole result at once rather than copies at every doubling.
            if (cb_->wfx.nAvgBytesPerSec > 0)
                result.reserve(
                    size_t(uint64_t(bytesLeft_) * format->nAvgBytesPerSec / cb_->wfx.nAvgBytesPerSec) +
                    2u * format->nBlockAlign);
            ConvertBlocks(*format, options, [&](const uint8_t* data, uint32_t bytes) {
                result.insert(result.end(), data, data + bytes);
            });
            CloseFile();
        });
    return result;
}

} // namespace vk350
