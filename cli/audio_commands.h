// The tool's playback subcommands.
#pragma once

#include <span>

namespace vk350::cli {

int runDevices(std::span<char*> args);
int runPlay(std::span<char*> args);

} // namespace vk350::cli
