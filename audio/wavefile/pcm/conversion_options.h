// How a wave file is brought to the editor's form. Exact is the converter's own way, kept byte
// for byte: every kept frame as it is, the high byte of each sample. BandLimited filters the
// rate change (no fold-down of what lies above the new rate's band) and rounds to 8 bits with
// triangular dither. Normalise scales the sound first so that its peak reaches full scale.
#pragma once

namespace vk350 {

enum class ConversionQuality { Exact, BandLimited };

struct ConversionOptions {
    ConversionQuality quality = ConversionQuality::Exact;
    bool normalise = false;

    bool operator==(const ConversionOptions&) const = default;
};

} // namespace vk350
