// Exceptions of the analysis views. Each carries the text the user sees.
#pragma once

#include "component_error.h"

#include <string>

namespace vk350 {

// The text every view raises for a format it cannot analyse.
inline constexpr const char* kInvalidWaveFormat = "Invalid WaveFormat";

class SpectrumError : public ComponentError {
public:
    explicit SpectrumError(const std::string& text) : ComponentError(text) {}
};

class SpectrogramError : public ComponentError {
public:
    explicit SpectrogramError(const std::string& text) : ComponentError(text) {}
};

class OscopeError : public ComponentError {
public:
    explicit OscopeError(const std::string& text) : ComponentError(text) {}
};

class LevelError : public ComponentError {
public:
    explicit LevelError(const std::string& text) : ComponentError(text) {}
};

} // namespace vk350
