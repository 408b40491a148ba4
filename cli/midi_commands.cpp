#include "midi_commands.h"

#include "bank_location.h"
#include "byte_files.h"
#include "commands.h"
#include "dump_receiver.h"
#include "kvb9_setup.h"
#include "midi_driver_factory.h"
#include "midi_output.h"
#include "sample_byte_maps.h"
#include "sample_dump.h"
#include "sample_send.h"
#include "sysex_file.h"
#include "sysex_sender.h"
#include "transfer_log.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <map>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace vk350::cli {

namespace {

constexpr int kDefaultSendDelayMs = 300; // what the bank window waits between messages

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
}

bool parseInt(std::string_view text, int low, int high, int& value) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
        return false;
    value = v;
    return true;
}

std::string slotName(int slot) {
    return std::string(kBankLocations[static_cast<size_t>(slot)].label) + " (#" + std::to_string(slot) + ")";
}

std::unique_ptr<MidiDriver> chosenDriver(std::string& name) {
    name = midiDriverNameFromEnvironment();
    return createMidiDriver(name);
}

int unknownDriver(const std::string& name) {
    return fail(kExitUsage,
                "unknown MIDI driver '" + name + "' in VK350_MIDI_DRIVER (alsa, jack or loopback)");
}

// Parses "--port N" and, when delay is given, "--delay MS"; the rest are positional.
bool parseOptions(std::span<char*> args, std::vector<std::string>& positional, int& port, int* delay,
                  std::string& error) {
    port = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool isPort = a == "--port";
        const bool isDelay = delay && a == "--delay";
        if (isPort || isDelay) {
            if (i + 1 >= args.size()) {
                error = std::string(a) + " needs a value";
                return false;
            }
            const std::string_view v = args[++i];
            if (!parseInt(v, 0, isPort ? 1000 : 600000, isPort ? port : *delay)) {
                error = "bad " + std::string(a) + " value '" + std::string(v) + "'";
                return false;
            }
        } else if (a.starts_with("--")) {
            error = "unknown option '" + std::string(a) + "'";
            return false;
        } else {
            positional.emplace_back(a);
        }
    }
    if (port < 0) {
        error = "--port N is required";
        return false;
    }
    return true;
}

} // namespace

int runPack(std::span<char*> args) {
    if (args.size() != 3)
        return fail(kExitUsage, "usage: vk350 pack SLOT IN.bin OUT.syx");
    const int slot = slotFromName(args[0]);
    if (slot < 0)
        return fail(kExitUsage, "unknown slot '" + std::string(args[0]) +
                                    "' (BD, SD, RS, HH, P3, P2, TM, CB, CP, P1 or 0 to 9)");
    std::vector<uint8_t> samples;
    std::string error;
    if (!readBytes(args[1], samples, error))
        return fail(kExitBadFile, error);

    // The editor's send: the machine's form, fitted to the slot's fixed size (a longer sample loses
    // its tail, a shorter one is filled with zeros), packed into the dump.
    const size_t length = samples.size();
    samples.resize(std::max<size_t>(length, kBankLocations[static_cast<size_t>(slot)].size()), 0);
    convertSign(samples);
    std::vector<uint8_t> message(kSendBufferSize);
    const SampleSendPlan plan = prepareSampleSend(slot, SampleSource::Bank, samples, length, message);
    say(plan.logLines.front());
    const size_t n = plan.messageSize;
    if (!writeBytes(args[2], std::span(message).first(n), error))
        return fail(kExitBadFile, error);
    std::printf("%s: slot %s, %zu sample bytes, message %zu bytes, checksum %s\n", args[2],
                slotName(slot).c_str(), std::min(plan.length, kMaxDumpSamples), n,
                hex2(plan.checksum).c_str());
    return kExitOk;
}

int runUnpack(std::span<char*> args) {
    if (args.size() != 2)
        return fail(kExitUsage, "usage: vk350 unpack IN.syx OUT.bin");
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readBytes(args[0], bytes, error))
        return fail(kExitBadFile, error);
    const SysExSplit split = splitSysEx(bytes);

    struct Good {
        int slot;
        std::vector<uint8_t> samples;
    };
    std::vector<Good> good;
    bool problems = false;
    std::vector<uint8_t> out(kMaxDumpSamples);
    for (size_t i = 0; i < split.messages.size(); ++i) {
        const auto m = split.messages[i];
        const std::string where = "message " + std::to_string(i + 1) + ": ";
        if (classifySysEx(m) != SysExKind::SampleDump) {
            const std::string line = receiveLogLine(m);
            say(where + (line.empty() ? "VK350 message" : line) + ", not a sample dump: skipped");
            continue;
        }
        const DumpCheck c = unpackSampleDump(m, out);
        if (c.status != DumpStatus::Ok) {
            problems = true;
            say(where + dumpLogLine(c));
            continue;
        }
        std::vector<uint8_t> samples(out.begin(), out.begin() + c.count);
        convertSign(samples); // back to the editor's form
        std::printf("%sslot %s, %u bytes, checksum %s\n", where.c_str(), slotName(c.slot).c_str(), c.count,
                    hex2(c.checksumCalc).c_str());
        good.push_back({c.slot, std::move(samples)});
    }
    if (!split.error.empty()) {
        problems = true;
        say(std::string(args[0]) + ": " + split.error);
    }
    if (good.empty())
        return fail(kExitBadFile, std::string(args[0]) + ": no good sample dump, nothing written");

    // One dump gives OUT itself; several give one file per slot, named as a saved bank names them.
    const std::filesystem::path outPath = args[1];
    std::map<int, bool> done;
    for (const Good& g : good) {
        std::filesystem::path path = outPath;
        if (good.size() > 1) {
            if (done[g.slot]) {
                problems = true;
                say("a second dump for slot " + slotName(g.slot) + " was not written");
                continue;
            }
            done[g.slot] = true;
            path = outPath.parent_path() /
                   (outPath.stem().string() + "_" + std::to_string(g.slot) + outPath.extension().string());
        }
        if (!writeBytes(path, g.samples, error))
            return fail(kExitBadFile, error);
        say("wrote " + path.string());
    }
    return problems ? kExitBadFile : kExitOk;
}

int runKvb9(std::span<char*> args) {
    int port = -1;
    int input = 0;
    bool merge = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (a == "--merge") {
            merge = true;
        } else if ((a == "--port" || a == "--input") && i + 1 < args.size()) {
            const std::string_view v = args[++i];
            if (!parseInt(v, 0, a == "--port" ? 1000 : 7, a == "--port" ? port : input))
                return fail(kExitUsage, "bad " + std::string(a) + " value '" + std::string(v) + "'");
        } else {
            return fail(kExitUsage, "usage: vk350 kvb9 --port N [--input 0-7] [--merge]");
        }
    }
    if (port < 0)
        return fail(kExitUsage, "--port N is required; usage: vk350 kvb9 --port N [--input 0-7] [--merge]");
    std::string name;
    auto driver = chosenDriver(name);
    if (!driver)
        return unknownDriver(name);
    MidiOutput out(*driver);
    if (port >= out.NumDevs())
        return fail(kExitBadFile, "no MIDI output port " + std::to_string(port) + " (driver " + name +
                                      " has " + std::to_string(out.NumDevs()) + ")");
    out.SetPort(port);
    out.SetUsing(true);
    const int code = out.OpenResult();
    if (code != kMidiOk) {
        out.SetUsing(false);
        return fail(kExitBadFile, "cannot open MIDI output " + std::to_string(port) + " '" +
                                      out.productName(port) + "' (code " + std::to_string(code) + ")");
    }
    // The board's setup as the options window sends it: the input first, then the merge.
    for (const ShortMessage& m : kvb9SetupMessages(input, merge)) {
        out.PutShort(m.status, m.first, m.second);
        std::printf("sent %s %s%s\n", hex2(m.status).c_str(), hex2(m.first).c_str(),
                    m.status >= 0xB0 && m.status < 0xC0 ? (" " + hex2(m.second)).c_str() : "");
    }
    out.SetUsing(false);
    return kExitOk;
}

int runPorts(std::span<char*> args) {
    if (!args.empty())
        return fail(kExitUsage, "usage: vk350 ports");
    std::string name;
    auto driver = chosenDriver(name);
    if (!driver)
        return unknownDriver(name);
    // Listed through the port components, so the tool shows what the editor would offer.
    const MidiInput in(*driver);
    const MidiOutput out(*driver);
    std::printf("MIDI driver: %s\ninputs:\n", name.c_str());
    for (int i = 0; i < in.NumDevs(); ++i)
        std::printf("  %d  %s\n", i, in.productName(i).c_str());
    if (in.NumDevs() == 0)
        std::printf("  (none)\n");
    std::printf("outputs:\n");
    for (int i = 0; i < out.NumDevs(); ++i)
        std::printf("  %d  %s\n", i, out.productName(i).c_str());
    if (out.NumDevs() == 0)
        std::printf("  (none)\n");
    return kExitOk;
}

int runSend(std::span<char*> args) {
    std::vector<std::string> files;
    int port = -1;
    int delay = kDefaultSendDelayMs;
    std::string error;
    if (!parseOptions(args, files, port, &delay, error) || files.size() != 1)
        return fail(kExitUsage,
                    (error.empty() ? "" : error + "; ") + "usage: vk350 send FILE.syx --port N [--delay MS]");
    std::vector<uint8_t> bytes;
    if (!readBytes(files[0], bytes, error))
        return fail(kExitBadFile, error);
    // Nothing goes out unless the whole file is sound.
    const SysExSplit split = splitSysEx(bytes);
    if (!split.error.empty())
        return fail(kExitBadFile, files[0] + ": " + split.error + "; nothing sent");
    if (split.messages.empty())
        return fail(kExitBadFile, files[0] + ": no SysEx message; nothing sent");

    std::string name;
    auto driver = chosenDriver(name);
    if (!driver)
        return unknownDriver(name);
    MidiOutput out(*driver);
    if (port >= out.NumDevs())
        return fail(kExitBadFile, "no MIDI output port " + std::to_string(port) + " (driver " + name +
                                      " has " + std::to_string(out.NumDevs()) + ")");
    out.SetPort(port);
    out.SetUsing(true);
    if (out.OpenResult() != kMidiOk) {
        const int code = out.OpenResult();
        out.SetUsing(false);
        return fail(kExitBadFile, "cannot open MIDI output " + std::to_string(port) + " '" +
                                      out.productName(port) + "' (code " + std::to_string(code) + ")");
    }
    const bool sent = sendSysExMessages(out, split.messages, delay, say, error);
    out.SetUsing(false);
    if (out.CloseResult() != kMidiOk)
        std::fprintf(stderr, "vk350: closing MIDI output %d reported code %d\n", port, out.CloseResult());
    return sent ? kExitOk : fail(kExitBadFile, error);
}

int runReceive(std::span<char*> args) {
    std::vector<std::string> folders;
    int port = -1;
    std::string error;
    if (!parseOptions(args, folders, port, nullptr, error) || folders.size() != 1)
        return fail(kExitUsage, (error.empty() ? "" : error + "; ") + "usage: vk350 receive --port N DIR");
    std::error_code ec;
    std::filesystem::create_directories(folders[0], ec);
    if (!std::filesystem::is_directory(folders[0], ec))
        return fail(kExitBadFile, folders[0] + ": not a folder and cannot be made one");

    // Interrupts are taken by a thread of our own with sigwait, so that they end the wait for
    // messages cleanly; blocked before any driver thread starts so that every thread inherits it.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::string name;
    auto driver = chosenDriver(name);
    if (!driver)
        return unknownDriver(name);
    DumpReceiver receiver(*driver, folders[0]);
    const int result = receiver.open(port);
    if (result != kMidiOk) {
        if (port >= receiver.input().NumDevs())
            return fail(kExitBadFile, "no MIDI input port " + std::to_string(port) + " (driver " + name +
                                          " has " + std::to_string(receiver.input().NumDevs()) + ")");
        return fail(kExitBadFile, "cannot open MIDI input " + std::to_string(port) + " '" +
                                      receiver.input().productName(port) + "' (code " +
                                      std::to_string(result) + ")");
    }
    std::fprintf(stderr, "vk350: receiving on MIDI input %d '%s' into %s; Ctrl+C stops\n", port,
                 receiver.input().productName(port).c_str(), folders[0].c_str());

    std::atomic<bool> interrupted{false};
    std::thread waiter([&] {
        int sig = 0;
        sigwait(&signals, &sig);
        interrupted = true;
        receiver.stop();
    });
    const bool ok = receiver.run(say, error);
    if (!interrupted)
        pthread_kill(waiter.native_handle(), SIGTERM); // ends the waiter's sigwait
    waiter.join();
    std::fflush(stdout);
    std::fprintf(stderr, "vk350: %d messages received, %d files written\n", receiver.messagesReceived(),
                 receiver.filesWritten());
    if (!ok)
        return fail(kExitBadFile, error);
    return kExitOk;
}

} // namespace vk350::cli
