// The tool's sample-dump and MIDI subcommands.
#pragma once

#include <span>

namespace vk350::cli {

int runPack(std::span<char*> args);
int runUnpack(std::span<char*> args);
int runPorts(std::span<char*> args);
int runSend(std::span<char*> args);
int runReceive(std::span<char*> args);
int runKvb9(std::span<char*> args);

} // namespace vk350::cli
