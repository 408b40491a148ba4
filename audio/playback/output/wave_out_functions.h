// Free functions of the wave output: device names and readiness, result code texts.
#pragma once

#include "wave_device.h"

#include <string>

namespace vk350 {

// The text for a result code; "Specified error number is out of range (unknown error)" for a
// code that has none.
std::string WaveOutErrorString(int code);

// Window thread: the number of output devices.
int WaveOutNumDevs(WaveDevice& device);

// Window thread: product name of device -1 .. count - 1; empty for any other number.
std::string WaveOutGetDeviceName(WaveDevice& device, int id);

// Window thread: whether device id opens for 8-bit mono 22050 Hz PCM (it is opened and closed).
bool WaveOutReady(WaveDevice& device, int id);

} // namespace vk350
