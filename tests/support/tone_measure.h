// Figures of a sine tone in a converted sound, taken with the project's own FFT: the tone's
// level, what the sound holds besides it, and the level at one other frequency. Shared by the
// conversion tests and the benchmark that sets them beside sox.
#pragma once

#include <cstdint>
#include <vector>

namespace vk350 {

struct ToneFigures {
    double toneDb = 0;  // RMS of the tone, dB re full scale (a full-scale sine is -3 dB)
    double totalDb = 0; // RMS of everything above 20 Hz, dB re full scale
    double thdnDb = 0;  // everything above 20 Hz but the tone, re the tone
    double atDb = 0;    // RMS at the frequency asked for, dB re full scale
};

// Measures 2^14 samples from the middle of samples (full scale = 1.0) at rate, with the tone
// at frequency; atFrequency names the other frequency (an alias, a harmonic).
ToneFigures MeasureTone(const std::vector<float>& samples, double rate, double frequency, double atFrequency);

// 8-bit unsigned samples (128 = zero) as full-scale floats.
std::vector<float> FromUnsigned8(const std::vector<uint8_t>& bytes);

} // namespace vk350
