#include "shape_command.h"

#include "bank_location.h"
#include "byte_files.h"
#include "file_problem.h"
#include "pcm_support.h"
#include "sample_document.h"
#include "sound_shaping.h"
#include "wave_document.h"
#include "wave_error.h"
#include "wave_file_io.h"
#include "wave_files.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vk350::cli {

namespace {

constexpr std::string_view kShapeUsage =
    "usage: vk350 shape IN OUT [--trim-silence DB] [--fade-in MS] [--fade-out MS] [--gain DB] "
    "[--normalize DBFS] [--remove-dc] [--fit SLOT] [--quality exact|best] [--rate R]";

// --fit's fade over the cut, and the level under which the sound in front counts as silence.
constexpr int kFitFadeMs = 10;
constexpr double kFitThresholdDbfs = -48.0;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct ShapeOptions {
    std::optional<double> trimDbfs, fadeInMs, fadeOutMs, gainDb, normaliseDbfs;
    bool removeDc = false;
    int fitSlot = -1;
    uint32_t rate = 22050;
    ConversionOptions conversion;
    std::vector<std::string> names;
};

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Whole samples within ms at rate.
double samplesIn(double ms, uint32_t rate) {
    return std::floor(ms * rate / 1000.0);
}

bool parseNumber(std::string_view text, double& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// Reads the command line into options; on a mistake returns false with the reason in error, and
// the usage when the mistake is in the command line's shape rather than a value.
bool parseShape(std::span<char*> args, ShapeOptions& o, std::string& error) {
    const std::string usage = "; " + std::string(kShapeUsage);
    const struct {
        std::string_view name;
        std::optional<double>* value;
        double low, high;
        std::string_view what;
    } numbers[] = {
        {"--trim-silence", &o.trimDbfs, -kInfinity, 0, "a level in dBFS, 0 or below"},
        {"--fade-in", &o.fadeInMs, 0, kInfinity, "milliseconds, 0 or more"},
        {"--fade-out", &o.fadeOutMs, 0, kInfinity, "milliseconds, 0 or more"},
        {"--gain", &o.gainDb, -kInfinity, kInfinity, "a number of dB"},
        {"--normalize", &o.normaliseDbfs, -kInfinity, 0, "a level in dBFS, 0 or below"},
    };
    std::set<std::string> seen;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string a = args[i];
        if (a.size() < 2 || a[0] != '-') {
            o.names.push_back(a);
            continue;
        }
        if (!seen.insert(a).second) {
            error = a + " given twice";
            return false;
        }
        if (a == "--remove-dc") {
            o.removeDc = true;
            continue;
        }
        const auto number =
            std::find_if(std::begin(numbers), std::end(numbers), [&](auto& n) { return n.name == a; });
        const bool takesValue =
            number != std::end(numbers) || a == "--fit" || a == "--quality" || a == "--rate";
        if (!takesValue) {
            error = "unknown option '" + a + "'" + usage;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = a + " needs a value" + usage;
            return false;
        }
        const std::string v = args[++i];
        if (number != std::end(numbers)) {
            double value = 0;
            if (!parseNumber(v, value) || value < number->low || value > number->high) {
                error = a + " takes " + std::string(number->what) + ", not '" + v + "'";
                return false;
            }
            *number->value = value;
        } else if (a == "--fit") {
            o.fitSlot = slotFromName(v);
            if (o.fitSlot < 0) {
                error = "unknown slot '" + v + "' (BD, SD, RS, HH, P3, P2, TM, CB, CP, P1 or 0 to 9)";
                return false;
            }
        } else if (a == "--quality") {
            if (v != "exact" && v != "best") {
                error = "unknown quality '" + v + "' (use exact or best)";
                return false;
            }
            o.conversion.quality = v == "best" ? ConversionQuality::BandLimited : ConversionQuality::Exact;
        } else if (const std::optional<uint32_t> rate = parseRate(v)) {
            o.rate = *rate;
        } else {
            error = "unsupported rate '" + v + "' (" + std::string(kRateChoices) + ")";
            return false;
        }
    }
    if (o.names.size() != 2) {
        error = (o.names.size() < 2 ? "IN and OUT are needed" : "one IN and one OUT only") + usage;
        return false;
    }
    return true;
}

// Fades the first (or last) ms of the sample; false, changing nothing, when it is longer.
bool fade(SampleDocument& document, double ms, uint32_t rate, bool in, std::string& error) {
    const double n = samplesIn(ms, rate);
    if (n > document.Length()) {
        error = std::string(in ? "--fade-in " : "--fade-out ") + number(ms) + " ms is " + number(n) +
                " samples at " + std::to_string(rate) + " Hz, longer than the sample (" +
                std::to_string(document.Length()) + ")";
        return false;
    }
    document.Change([&](std::span<uint8_t> bytes) {
        if (in)
            fadeIn(bytes.first(size_t(n)), FadeCurve::Exponential);
        else
            fadeOut(bytes.last(size_t(n)), FadeCurve::Exponential);
    });
    return true;
}

// Runs the chosen steps in their fixed order; false with the reason when a value does not suit
// the sample.
bool shape(SampleDocument& document, const ShapeOptions& o, std::string& error) {
    if (o.trimDbfs) {
        trimSilence(document, *o.trimDbfs);
        if (document.Length() == 0) {
            error = "--trim-silence: nothing in " + o.names[0] + " reaches " + number(*o.trimDbfs) + " dBFS";
            return false;
        }
    }
    if (o.fadeInMs && !fade(document, *o.fadeInMs, o.rate, true, error))
        return false;
    if (o.fadeOutMs && !fade(document, *o.fadeOutMs, o.rate, false, error))
        return false;
    if (o.gainDb) {
        int clipped = 0;
        document.Change([&](std::span<uint8_t> bytes) { clipped = applyGain(bytes, *o.gainDb); });
        if (clipped > 0)
            std::fprintf(stderr, "vk350: shape: --gain %g clipped %d samples\n", *o.gainDb, clipped);
    }
    if (o.normaliseDbfs) {
        std::optional<double> gain;
        document.Change([&](std::span<uint8_t> bytes) { gain = normalise(bytes, *o.normaliseDbfs); });
        if (!gain)
            std::fprintf(stderr, "vk350: shape: %s is silent; nothing to normalise\n", o.names[0].c_str());
    }
    if (o.removeDc)
        document.Change([](std::span<uint8_t> bytes) { removeDcOffset(bytes); });
    if (o.fitSlot >= 0) {
        const BankLocation& slot = kBankLocations[size_t(o.fitSlot)];
        const FitOutcome fit =
            fitToLocation(document, int32_t(slot.size()), int32_t(samplesIn(kFitFadeMs, o.rate)),
                          kFitThresholdDbfs, FadeCurve::Exponential);
        std::printf("%s (#%d, %u samples): %d samples in, %d out", std::string(slot.label).c_str(), o.fitSlot,
                    slot.size(), int(fit.lengthBefore), int(fit.lengthAfter));
        if (fit.trimmedFront > 0)
            std::printf(", %d silent in front trimmed", int(fit.trimmedFront));
        if (fit.faded)
            std::printf(", cut with a %d ms fade-out", kFitFadeMs);
        std::printf("\n");
    }
    return true;
}

void printHelp() {
    std::printf("%.*s\n\n", int(kShapeUsage.size()), kShapeUsage.data());
    std::printf("Shapes a sample for the machine. IN is raw 8-bit sample bytes, or a wave file (a .wav\n"
                "name) converted to 8-bit mono at the rate first; OUT ending in .wav gets a wave file,\n"
                "any other name the sample bytes alone. The steps run in this order, whatever the order\n"
                "given:\n"
                "  --trim-silence DB  remove what lies below DB dBFS at the start and at the end\n"
                "  --fade-in MS       fade the first MS milliseconds in from silence\n"
                "  --fade-out MS      fade the last MS milliseconds out to silence\n"
                "  --gain DB          raise or lower the level by DB (clipped samples are counted)\n"
                "  --normalize DBFS   bring the peak to DBFS (0 or below) without clipping\n"
                "  --remove-dc        take the mean off every sample\n"
                "  --fit SLOT         fit to a bank slot (BD, SD, RS, HH, P3, P2, TM, CB, CP, P1 or 0\n"
                "                     to 9): a sample too long loses its silence in front, then is cut\n"
                "                     to the slot's size with a %d ms fade-out\n"
                "Fades are exponential, as drums decay. --rate (22050 by default) gives the rate of\n"
                "the milliseconds, of a wave IN's conversion and of a wave OUT; --quality best converts\n"
                "a wave IN band-limited (see vk350 convert --help).\n",
                kFitFadeMs);
}

} // namespace

int runShape(std::span<char*> args) {
    for (const char* a : args) {
        if (std::string_view(a) == "--help" || std::string_view(a) == "-h") {
            printHelp();
            return kExitOk;
        }
    }
    ShapeOptions o;
    if (std::string error; !parseShape(args, o, error))
        return fail(kExitUsage, "shape: " + error);
    const std::string& in = o.names[0];
    const std::string& out = o.names[1];

    WaveFormatEx format;
    pcmBuildWaveHeader(&format, 8, 1, o.rate);
    std::vector<uint8_t> bytes;
    WaveDocument wave;
    const bool waveIn = endsWithWav(in);
    if (waveIn) {
        try {
            wave.SetFileName(in);
            bytes = wave.ConvertToBytes(&format, o.conversion);
        } catch (const ComponentError& e) {
            return fail(kExitBadFile, in + ": " + e.what() + reasonLine(in, {}));
        }
        if (const WaveIoBlock* cb = wave.GetWaveIOCB(); cb && wioDataChunkCutShort(*cb))
            std::fprintf(stderr,
                         "vk350: %s: the file ends before its sound does; shaping the part that is there\n",
                         in.c_str());
    } else if (std::string error; !readBytes(in, bytes, error)) {
        return fail(kExitBadFile, error);
    }
    if (bytes.empty())
        return fail(kExitBadFile, in + ": holds no sample");

    SampleDocument document;
    const auto max = size_t(document.Buffer().Max());
    // As the editor loads it: cut to what a sample holds, and said.
    if (bytes.size() > max)
        std::fprintf(stderr,
                     "vk350: %s: %zu samples, more than the %zu a sample holds; shaping the first %zu\n",
                     in.c_str(), bytes.size(), max, max);
    document.Assign(bytes, int32_t(std::min(bytes.size(), max)));
    if (std::string error; !shape(document, o, error))
        return fail(kExitUsage, "shape: " + error);

    if (endsWithWav(out)) {
        try {
            writeWave(out, document.Bytes(), format, waveIn ? &wave : nullptr);
        } catch (const ComponentError& e) {
            const std::string reason = fileWriteProblem(out);
            return fail(kExitBadFile, out + ": " + e.what() +
                                          (reason.empty() ? "" : "\nvk350: " + fileProblemLine(out, reason)));
        }
    } else if (std::string error; !writeBytes(out, document.Bytes(), error)) {
        return fail(kExitBadFile, error);
    }
    return kExitOk;
}

} // namespace vk350::cli
