// The wave subcommands of vk350: convert and info.
#pragma once

#include "commands.h"

namespace vk350::cli {

int runConvert(std::span<char*> args);
int runInfo(std::span<char*> args);

} // namespace vk350::cli
