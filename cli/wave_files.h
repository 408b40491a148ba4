// The wave side of the tool's commands that write samples: the rates they take, output names,
// safe wave writes and the reason of a failure.
#pragma once

#include "wave_format.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vk350 {
class WaveDocument;
}

namespace vk350::cli {

inline constexpr std::array<uint32_t, 6> kRates = {8000, 11025, 22050, 32000, 44100, 48000};
inline constexpr std::string_view kRateChoices = "use 8000, 11025, 22050, 32000, 44100 or 48000";

// The rate text names, when it is one of kRates.
std::optional<uint32_t> parseRate(std::string_view text);

// Whether an output name asks for a wave file (".wav" in any case) rather than raw bytes.
bool endsWithWav(const std::string& name);

// Writes bytes as a wave of format through the safe writer, with the INFO texts of source when
// there is one. Throws WaveError when it cannot.
void writeWave(const std::string& target, std::span<const uint8_t> bytes, const WaveFormatEx& format,
               const WaveDocument* source);

// The reason of a failed conversion on a line of its own: the source's, else the target's.
std::string reasonLine(const std::string& in, const std::string& out);

} // namespace vk350::cli
