#include "wave_problem.h"

#include "byte_order.h"
#include "file_problem.h"
#include "pcm_narrower.h"
#include "pcm_support.h"
#include "wave_file_io.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace vk350 {

std::string waveFormatName(unsigned tag) {
    switch (tag) {
    case 0x0002:
        return "MS ADPCM";
    case WAVE_FORMAT_ALAW:
        return "A-law";
    case WAVE_FORMAT_MULAW:
        return "\xC2\xB5-law";
    case 0x0011:
        return "IMA ADPCM";
    case 0x0031:
        return "GSM 6.10";
    case 0x0050:
        return "MPEG";
    case 0x0055:
        return "MP3";
    default:
        return {};
    }
}

std::string waveReadProblem(const std::string& path) {
    if (std::string file = fileReadProblem(path); !file.empty())
        return file;
    uint8_t head[12] = {};
    {
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
        if (!f)
            return "Cannot open " + path;
        if (std::fread(head, 1, sizeof head, f.get()) != sizeof head || std::memcmp(head, "RIFF", 4) != 0)
            return "Not a WAV file (no RIFF header)";
    }
    if (std::memcmp(head + 8, "WAVE", 4) != 0)
        return "Not a WAV file (a RIFF file of another kind)";
    PWAVEIOCB cb;
    if (wioReadFileInfo(cb, path, fourcc("WAVE"), RIFF_FILE) != WIOERR_NOERROR)
        return "Not a usable WAV file (no format or data chunk, or a bad format)";
    const WaveFormatEx& w = cb->wfx;
    if (pcmIsValidFormat(&w) || PcmNarrower::Narrows(w))
        return {};
    const SampleLayout layout = sampleLayout(w);
    if (layout.tag != WAVE_FORMAT_PCM && layout.tag != WAVE_FORMAT_IEEE_FLOAT) {
        const std::string name = waveFormatName(layout.tag);
        return "Compressed WAV (" + (name.empty() ? "format " + std::to_string(layout.tag) : name) +
               ") is not read by this program";
    }
    if (w.nSamplesPerSec < 4000 || w.nSamplesPerSec > 100000)
        return "The sample rate " + std::to_string(w.nSamplesPerSec) +
               " Hz is outside the 4000 to 100000 Hz this program reads";
    return "WAV samples of " + std::to_string(w.wBitsPerSample) + " bits in blocks of " +
           std::to_string(w.nBlockAlign) + " bytes are not read by this program";
}

} // namespace vk350
