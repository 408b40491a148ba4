// The subcommands of the vk350 tool. Each one is a few lines over the core libraries: it reads
// its arguments, calls the library and turns the result into a message and an exit status.
#pragma once

#include <span>
#include <string_view>

namespace vk350::cli {

// Exit statuses shared by every subcommand.
enum ExitStatus : int {
    kExitOk = 0,
    kExitBadFile = 1, // unreadable, malformed or unwritable file, failed device
    kExitUsage = 2,   // wrong arguments
};

struct Command {
    std::string_view name;
    std::string_view usage;            // "convert IN.wav OUT [--rate R] [--mulaw]"
    std::string_view summary;          // one line for the help text
    int (*run)(std::span<char*> args); // args exclude the tool and subcommand names
};

// Prints "vk350: <text>" on standard error and returns status.
int fail(int status, std::string_view text);

} // namespace vk350::cli
