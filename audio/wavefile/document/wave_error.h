// Raised by WaveDocument: binding, reading, importing, saving and converting wave files.
#pragma once

#include "component_error.h"

namespace vk350 {

class WaveError : public ComponentError {
public:
    explicit WaveError(const std::string& text) : ComponentError(text) {}
};

} // namespace vk350
