// Raised by the wave output device; the text says which step failed and why.
#pragma once

#include "component_error.h"

namespace vk350 {

class EMMWaveOutError : public EMMError {
public:
    explicit EMMWaveOutError(const std::string& text) : EMMError(text) {}
};

} // namespace vk350
