// Base of the exceptions that the audio, MIDI and wave components raise. Each carries the text
// that the user sees; the low-level file functions never throw and return result codes instead.
#pragma once

#include <stdexcept>
#include <string>

namespace vk350 {

class ComponentError : public std::runtime_error {
public:
    explicit ComponentError(const std::string& text) : std::runtime_error(text) {}
};

} // namespace vk350
