// Raised by the wave output device; the text says which step failed and why.
#pragma once

#include "component_error.h"

namespace vk350 {

class WavePlayerError : public ComponentError {
public:
    explicit WavePlayerError(const std::string& text) : ComponentError(text) {}
};

} // namespace vk350
