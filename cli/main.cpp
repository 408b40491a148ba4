// vk350: batch work on VK350 samples and dumps without the editor.
#include "audio_commands.h"
#include "commands.h"
#include "midi_commands.h"
#include "render_command.h"
#include "shape_command.h"
#include "version.h"
#include "wave_commands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vk350::cli {

int fail(int status, std::string_view text) {
    std::fprintf(stderr, "vk350: %.*s\n", static_cast<int>(text.size()), text.data());
    return status;
}

// Subcommands register here, in the order the help text lists them.
static const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"convert", "convert IN.wav OUT [--rate R] [--mulaw]",
         "convert a wave file to 8-bit mono (OUT.wav: a wave file, else raw bytes)", runConvert},
        {"shape", "shape IN OUT [--trim-silence DB] [--fit SLOT] ...",
         "trim, fade, level or fit a sample to a slot (shape --help lists the steps)", runShape},
        {"info", "info FILE.wav", "show format, length, data area, chunks and INFO texts", runInfo},
        {"pack", "pack SLOT IN.bin OUT.syx", "fit a raw sample to a bank slot, write its dump", runPack},
        {"unpack", "unpack IN.syx OUT.bin", "check the dumps of a file, write their samples", runUnpack},
        {"ports", "ports", "list the MIDI input and output ports", runPorts},
        {"send", "send FILE.syx --port N [--delay MS]", "send each SysEx message of a file", runSend},
        {"receive", "receive --port N DIR", "write each dump received to DIR until interrupted", runReceive},
        {"kvb9", "kvb9 --port N [--input 0-7] [--merge]", "send the KVB9 board's input and merge setup",
         runKvb9},
        {"devices", "devices", "list the audio outputs", runDevices},
        {"play", "play FILE.wav [--loop N] [--device I]", "play a wave file (--loop 0: until Ctrl+C)",
         runPlay},
        {"render", "render VIEW FILE OUT.png [--size WxH] [--at S]",
         "draw a spectrum, spectrogram, scope or level picture of a file", runRender},
    };
    return table;
}

constexpr const char* kUsage = "usage: vk350 COMMAND [ARGS] (vk350 --help lists the commands)";

static void printHelp() {
    std::printf("usage: vk350 COMMAND [ARGS]\n\nVK350 sample and dump tool.\n\ncommands:\n");
    for (const Command& c : commands())
        std::printf("  %-52.*s %.*s\n", static_cast<int>(c.usage.size()), c.usage.data(),
                    static_cast<int>(c.summary.size()), c.summary.data());
    std::printf("\noptions:\n  -h, --help     show this help and exit\n"
                "  -V, --version  show the version and exit\n"
                "\nEvery command takes --help. Exit status: 0 success, 1 bad file or device, 2 bad usage.\n");
}

// A mistake on the tool's own command line: one line that names it and gives the usage.
static int usageError(const std::string& text) {
    return fail(kExitUsage, text + "; " + kUsage);
}

} // namespace vk350::cli

int main(int argc, char** argv) {
    using namespace vk350::cli;
    if (argc < 2)
        return usageError("missing command");
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printHelp();
        return kExitOk;
    }
    if (name == "--version" || name == "-V") {
        std::printf("vk350 %s\n", vk350::kVersion);
        return kExitOk;
    }
    if (name.size() > 1 && name[0] == '-')
        return usageError("unknown option '" + name + "'");
    for (const Command& c : commands()) {
        if (c.name == name)
            return c.run(std::span<char*>(argv + 2, static_cast<size_t>(argc - 2)));
    }
    return usageError("unknown command '" + name + "'");
}
