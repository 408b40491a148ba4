// Exceptions of the analysis views. Each carries the text the user sees.
#pragma once

#include "component_error.h"

#include <string>

namespace vk350 {

// The text every view raises for a format it cannot analyse.
inline constexpr const char* kInvalidWaveFormat = "Invalid WaveFormat";

class EMMSpectrumError : public EMMError {
public:
    explicit EMMSpectrumError(const std::string& text) : EMMError(text) {}
};

class EMMSpectrogramError : public EMMError {
public:
    explicit EMMSpectrogramError(const std::string& text) : EMMError(text) {}
};

class EMMOscopeError : public EMMError {
public:
    explicit EMMOscopeError(const std::string& text) : EMMError(text) {}
};

class EMMLevelError : public EMMError {
public:
    explicit EMMLevelError(const std::string& text) : EMMError(text) {}
};

} // namespace vk350
