// Raised by TMMWave: binding, reading, importing, saving and converting wave files.
#pragma once

#include "component_error.h"

namespace vk350 {

class EMMWaveError : public EMMError {
public:
    explicit EMMWaveError(const std::string& text) : EMMError(text) {}
};

} // namespace vk350
