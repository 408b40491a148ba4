// Why a wave file cannot be converted, in plain words: the file-system reasons first, then the
// header, then the format. Empty when the file converts (or the reason is not one of these).
// Any thread.
#pragma once

#include <string>

namespace vk350 {

std::string waveReadProblem(const std::string& path);

// The name of a compressed or otherwise unread format tag ("A-law", "IMA ADPCM"); empty for an
// unknown tag.
std::string waveFormatName(unsigned tag);

} // namespace vk350
