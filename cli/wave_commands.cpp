#include "wave_commands.h"

#include "byte_files.h"
#include "byte_order.h"
#include "pcm_support.h"
#include "sample_byte_maps.h"
#include "wave_document.h"
#include "wave_error.h"
#include "wave_file_io.h"
#include "wave_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace vk350::cli {

constexpr std::string_view kConvertUsage = "usage: vk350 convert IN.wav OUT [--rate R] [--mulaw]";

int runConvert(std::span<char*> args) {
    std::vector<std::string> names;
    uint32_t rate = 22050;
    bool mulaw = false;
    ConversionOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string a = args[i];
        if (a == "--help" || a == "-h") {
            std::printf(
                "usage: vk350 convert IN.wav OUT [--rate 8000|11025|22050|32000|44100|48000] [--mulaw]\n\n"
                "Converts IN to 8-bit mono PCM at the rate (22050 by default). OUT ending in .wav\n"
                "gets a wave file, any other name the sample bytes alone. --mulaw codes the\n"
                "bytes as the editor's \"Lin to \xC2\xB5Law -8bits\" command does.\n\n"
                "The way of converting:\n"
                "  --quality exact  every kept frame as it is, the high byte of each sample (the\n"
                "                   default; the editor's Exact conversion)\n"
                "  --quality best   the rate change filtered, then 8 bits with dither (the editor's\n"
                "                   Band-limited conversion; best for hi-hats and cymbals)\n"
                "  --normalize      first scale the sound so that its peak reaches full scale\n");
            return kExitOk;
        } else if (a == "--rate") {
            if (i + 1 >= args.size())
                return fail(kExitUsage, "convert: --rate needs a value; " + std::string(kConvertUsage));
            const std::string v = args[++i];
            const std::optional<uint32_t> chosen = parseRate(v);
            if (!chosen)
                return fail(kExitUsage,
                            "convert: unsupported rate '" + v + "' (" + std::string(kRateChoices) + ")");
            rate = *chosen;
        } else if (a == "--mulaw") {
            mulaw = true;
        } else if (a == "--quality") {
            if (i + 1 >= args.size())
                return fail(kExitUsage, "convert: --quality needs a value; " + std::string(kConvertUsage));
            const std::string v = args[++i];
            if (v == "exact")
                options.quality = ConversionQuality::Exact;
            else if (v == "best")
                options.quality = ConversionQuality::BandLimited;
            else
                return fail(kExitUsage, "convert: unknown quality '" + v + "' (use exact or best)");
        } else if (a == "--normalize") {
            options.normalise = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return fail(kExitUsage, "convert: unknown option '" + a + "'; " + std::string(kConvertUsage));
        } else {
            names.push_back(a);
        }
    }
    if (names.size() != 2)
        return fail(kExitUsage, kConvertUsage);
    const std::string& in = names[0];
    const std::string& out = names[1];

    WaveFormatEx format;
    pcmBuildWaveHeader(&format, 8, 1, rate);
    WaveDocument wave;
    const bool showProgress = isatty(STDERR_FILENO);
    if (showProgress)
        wave.OnProgress = [&](WaveDocument&, uint32_t cur, uint32_t total, bool&) {
            std::fprintf(stderr, "\rconverting %s: %3u%%", in.c_str(),
                         total ? unsigned(uint64_t(cur) * 100 / total) : 100u);
        };
    try {
        wave.SetFileName(in);
        if (endsWithWav(out) && !mulaw) {
            wave.ConvertFile(out, &format, options);
        } else {
            // Converted in memory: the only file written is the output, through the safe writer.
            std::vector<uint8_t> bytes = wave.ConvertToBytes(&format, options);
            if (mulaw)
                vk350::linearToMuLawCodes(bytes);
            if (endsWithWav(out))
                writeWave(out, bytes, format, &wave);
            else if (std::string error; !writeBytes(out, bytes, error))
                throw WaveError("Unable to convert wave file");
        }
    } catch (const ComponentError& e) {
        if (showProgress)
            std::fprintf(stderr, "\n");
        return fail(kExitBadFile, in + ": " + e.what() + reasonLine(in, out));
    }
    if (showProgress)
        std::fprintf(stderr, "\n");
    // Converted as far as the file goes, as the editor does, and said.
    if (const WaveIoBlock* cb = wave.GetWaveIOCB(); cb && wioDataChunkCutShort(*cb))
        std::fprintf(stderr,
                     "vk350: %s: the file ends before its sound does; converted the part that is there\n",
                     in.c_str());
    return kExitOk;
}

int runInfo(std::span<char*> args) {
    if (args.size() == 1 && (std::strcmp(args[0], "--help") == 0 || std::strcmp(args[0], "-h") == 0)) {
        std::printf("usage: vk350 info FILE.wav\n\nShows the format, length, data area, chunks and INFO "
                    "texts of a wave file.\n");
        return kExitOk;
    }
    if (args.size() != 1 || args[0][0] == '-')
        return fail(kExitUsage, "usage: vk350 info FILE.wav");
    const std::string name = args[0];
    PWAVEIOCB cb;
    const int r = wioReadFileInfo(cb, name, fourcc("WAVE"), RIFF_FILE);
    if (r == WIOERR_BADFILE)
        return fail(kExitBadFile,
                    name + ": not a usable wave file (no format or data chunk, or a bad format)");
    if (r != WIOERR_NOERROR)
        return fail(kExitBadFile, name + ": cannot read a RIFF WAVE file from it" + reasonLine(name, {}));
    const WaveFormatEx& w = cb->wfx;
    std::printf("file:     %s (%u bytes)\n", name.c_str(), cb->dwFileSize);
    std::printf("format:   tag %u%s, %u channel%s, %u Hz, %u bits, block %u, %u bytes/s\n", w.wFormatTag,
                w.wFormatTag == WAVE_FORMAT_PCM ? " (PCM)" : "", w.nChannels, w.nChannels == 1 ? "" : "s",
                w.nSamplesPerSec, w.wBitsPerSample, w.nBlockAlign, w.nAvgBytesPerSec);
    std::printf("frames:   %u (%u ms)\n", cb->dwDataSamples, wioSamplesToTime(*cb, cb->dwDataSamples));
    std::printf("data:     offset %u, %u bytes\n", cb->dwDataOffset, cb->dwDataBytes);
    if (wioDataChunkCutShort(*cb))
        std::printf(
            "cut:      the file ends before its sound does; the data above is the part that is there\n");
    std::printf("chunks:\n");
    for (const WaveChunkEntry& c : cb->chunks) {
        char id[5] = {};
        for (int i = 0; i < 4; ++i) {
            const char ch = static_cast<char>((c.id >> (8 * i)) & 0xFF);
            id[i] = (ch >= 0x20 && ch < 0x7F) ? ch : '?';
        }
        std::printf("  %s  at %u, %u bytes\n", id, c.offset, c.size);
    }
    bool anyText = false;
    for (const InfoEntry& d : cb->pInfo.items()) {
        if (d.text && !d.text->empty()) {
            if (!anyText)
                std::printf("info:\n");
            anyText = true;
            const std::string_view id = InfoList::ids()[d.index];
            std::printf("  %.*s: %s\n", int(id.size()), id.data(), d.text->c_str());
        }
    }
    return kExitOk;
}

} // namespace vk350::cli
