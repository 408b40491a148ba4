// vk350: batch work on VK350 samples and dumps without the editor.
#include "commands.h"
#include "midi_commands.h"
#include "wave_commands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vk350cli {

int fail(int status, std::string_view text) {
    std::fprintf(stderr, "vk350: %.*s\n", static_cast<int>(text.size()), text.data());
    return status;
}

// Subcommands register here, in the order the help text lists them.
static const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"convert", "convert IN.wav OUT [--rate R] [--mulaw]",
         "convert a wave file to 8-bit mono (OUT.wav: a wave file, else raw bytes)", runConvert},
        {"info", "info FILE.wav", "show format, length, data area, chunks and INFO texts", runInfo},
        {"pack", "pack SLOT IN.bin OUT.syx", "fit a raw sample to a bank slot, write its dump", runPack},
        {"unpack", "unpack IN.syx OUT.bin", "check the dumps of a file, write their samples", runUnpack},
        {"ports", "ports", "list the MIDI input and output ports", runPorts},
        {"send", "send FILE.syx --port N [--delay MS]", "send each SysEx message of a file", runSend},
        {"receive", "receive --port N DIR", "write each dump received to DIR until interrupted", runReceive},
    };
    return table;
}

static void printHelp(std::FILE* out) {
    std::fprintf(out, "usage: vk350 COMMAND [ARGS]\n\nVK350 sample and dump tool.\n\ncommands:\n");
    for (const Command& c : commands())
        std::fprintf(out, "  %-52.*s %.*s\n", static_cast<int>(c.usage.size()), c.usage.data(),
                     static_cast<int>(c.summary.size()), c.summary.data());
    std::fprintf(out, "\nExit status: 0 success, 1 bad file or device, 2 bad usage.\n");
}

} // namespace vk350cli

int main(int argc, char** argv) {
    using namespace vk350cli;
    if (argc < 2) {
        printHelp(stderr);
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printHelp(stdout);
        return kExitOk;
    }
    for (const Command& c : commands()) {
        if (c.name == name)
            return c.run(std::span<char*>(argv + 2, static_cast<size_t>(argc - 2)));
    }
    return fail(kExitUsage, "unknown command '" + name + "' (try vk350 --help)");
}
