#include "view_render.h"

#include "bounded_read.h"
#include "component_error.h"
#include "level_scale_view.h"
#include "level_view.h"
#include "main_window_views.h"
#include "oscope_view.h"
#include "pcm_support.h"
#include "spectrogram_view.h"
#include "spectrum_view.h"
#include "wave_document.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

namespace vk350 {

namespace {

struct Sound {
    WaveFormatEx format;
    std::vector<std::uint8_t> bytes;
    std::uint32_t Frames() const {
        return format.nBlockAlign ? std::uint32_t(bytes.size() / format.nBlockAlign) : 0;
    }
    std::uint8_t Silence() const { return format.wBitsPerSample == 8 ? 128 : 0; }
};

bool IsWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    return in.read(magic, 4) && std::equal(magic, magic + 4, "RIFF");
}

// A wave file through the wave object, anything else as raw 8-bit mono bytes.
bool ReadSound(const RenderRequest& request, Sound& sound, std::string& error) {
    if (!IsWave(request.file)) {
        // Raw bytes are bounded like every other input of the tool: /dev/zero is not a sample.
        switch (readBoundedFile(request.file, sound.bytes, error)) {
        case BoundedRead::Ok:
            break;
        case BoundedRead::CannotOpen:
            error = "render: cannot open '" + request.file + "'";
            return false;
        default:
            return false;
        }
        pcmBuildWaveHeader(&sound.format, 8, 1, request.rawRate);
        return true;
    }
    try {
        WaveDocument wave;
        wave.SetFileName(request.file);
        const WaveFormatEx* f = wave.GetPWaveFormat();
        if (!f || f->wFormatTag != WAVE_FORMAT_PCM) {
            error = "render: '" + request.file + "' is not PCM";
            return false;
        }
        sound.format = *f;
        wave.SetPosition(0);
        wave.OpenFile();
        std::vector<std::uint8_t> block(65536);
        for (;;) {
            const std::int64_t got = wave.ReadDataBytes(block.data(), std::uint32_t(block.size()));
            if (got <= 0)
                break;
            sound.bytes.insert(sound.bytes.end(), block.begin(), block.begin() + got);
        }
        wave.CloseFile();
    } catch (const std::exception& e) {
        error = "render: cannot read '" + request.file + "': " + e.what();
        return false;
    }
    return true;
}

// length bytes from frame on, silence past the end.
std::vector<std::uint8_t> BlockAt(const Sound& sound, std::uint64_t frame, std::uint32_t length) {
    std::vector<std::uint8_t> block(length, sound.Silence());
    const std::uint64_t from = frame * sound.format.nBlockAlign;
    if (from < sound.bytes.size()) {
        const std::size_t n = std::size_t(std::min<std::uint64_t>(length, sound.bytes.size() - from));
        std::copy_n(sound.bytes.begin() + std::ptrdiff_t(from), n, block.begin());
    }
    return block;
}

void Resize(AnalysisViewBase& view, const RenderRequest& request) {
    if (request.width > 0)
        view.resize(request.width, request.height);
    view.SyncSize();
}

// The spectrogram of the whole file: the columns spread evenly over it, the first at the left
// edge, and the position bar at the right as after a full sweep.
void FeedWholeFile(SpectrogramView& view, const Sound& sound) {
    const std::uint32_t length = view.BlockLength();
    const std::int32_t columns = std::max(1, view.DrawArea().width - view.BarWidth());
    const std::uint32_t n = std::uint32_t(view.FFTLength());
    const std::uint32_t frames = sound.Frames();
    const double hop = frames > n && columns > 1 ? double(frames - n) / (columns - 1) : 0.0;
    view.ResetData();
    // The first BarWidth columns fall before the picture's left edge.
    const std::vector<std::uint8_t> first = BlockAt(sound, 0, length);
    for (std::int32_t i = 0; i < view.BarWidth(); ++i)
        view.RefreshPCMData(first.data());
    for (std::int32_t c = 0; c < columns; ++c) {
        const std::vector<std::uint8_t> block = BlockAt(sound, std::uint64_t(std::llround(c * hop)), length);
        view.RefreshPCMData(block.data());
    }
}

} // namespace

int RenderPicture(const RenderRequest& request, QImage& picture, std::string& error) {
    Sound sound;
    if (!ReadSound(request, sound, error))
        return 1;
    const double seconds =
        sound.format.nSamplesPerSec ? double(sound.Frames()) / sound.format.nSamplesPerSec : 0;
    if (request.view != RenderView::Spectrogram && request.at > 0 && request.at >= seconds) {
        char text[160];
        std::snprintf(text, sizeof text, "render: --at %.3f is past the end of the file (%.3f s)", request.at,
                      seconds);
        error = text;
        return 2;
    }
    const std::uint64_t frame = std::uint64_t(std::llround(request.at * sound.format.nSamplesPerSec));
    // Views inside a parent take data without being shown.
    QWidget holder;
    try {
        switch (request.view) {
        case RenderView::Spectrum: {
            auto* view = new SpectrumView(&holder);
            SetupSpectrum1(*view);
            Resize(*view, request);
            view->SetPCMWaveFormat(sound.format);
            const std::vector<std::uint8_t> block = BlockAt(sound, frame, view->BlockLength());
            view->RefreshPCMData(block.data());
            picture = view->Canvas().copy();
            break;
        }
        case RenderView::Scope: {
            auto* view = new OscopeView(&holder);
            SetupOscope1(*view);
            Resize(*view, request);
            view->SetPCMWaveFormat(sound.format);
            const std::vector<std::uint8_t> block = BlockAt(sound, frame, view->BlockLength());
            view->RefreshPCMData(block.data());
            picture = view->Canvas().copy();
            break;
        }
        case RenderView::Spectrogram: {
            auto* view = new SpectrogramView(&holder);
            SetupSpectrogram1(*view);
            Resize(*view, request);
            view->SetPCMWaveFormat(sound.format);
            FeedWholeFile(*view, sound);
            picture = view->Canvas().copy();
            break;
        }
        case RenderView::Level: {
            auto* view = new LevelView(&holder);
            SetupLevel1(*view);
            Resize(*view, request);
            auto* scale = new LevelScaleView(&holder);
            SetupLevelScale1(*scale);
            scale->resize(scale->width(), view->height());
            view->SetPCMWaveFormat(sound.format);
            const std::vector<std::uint8_t> block = BlockAt(sound, frame, view->BlockLength());
            view->RefreshPCMData(block.data());
            // The meter with its scale to the right, as in the meter panel.
            picture = QImage(view->width() + scale->width(), view->height(), QImage::Format_RGB32);
            picture.fill(Qt::black);
            QPainter p(&picture);
            p.drawImage(0, 0, view->Canvas());
            p.drawImage(view->width(), 0, scale->Picture());
            break;
        }
        }
    } catch (const ComponentError& e) {
        error = "render: '" + request.file + "': " + e.what();
        return 1;
    }
    return 0;
}

} // namespace vk350
