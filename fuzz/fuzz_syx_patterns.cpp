// libFuzzer harness: any bytes as a .syx file of pattern (and sample) dumps, read as the tool
// reads files, split into messages and each decided as a received message is. A kept pattern is
// the message itself and within the patterns buffer; a stored sample goes to a slot with as many
// bytes as its dump carries; every log line is one line. A kept pattern saved through the safe
// writer loads back as one message that is kept again, with the same bytes and the same line.
#include "bounded_read.h"
#include "fuzz_check.h"
#include "safe_file.h"
#include "sample_dump.h"
#include "sample_receive.h"
#include "sysex_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace vk350;
using vk350::fuzz::check;

namespace {

const fs::path& scratch() {
    static const fs::path dir = [] {
        std::string tmpl =
            fs::is_directory("/dev/shm") ? "/dev/shm/vk350-fuzz-syx-XXXXXX" : "/tmp/vk350-fuzz-syx-XXXXXX";
        if (!mkdtemp(tmpl.data()))
            std::abort();
        return fs::path(tmpl);
    }();
    static const bool cleanup = std::atexit([] {
                                    std::error_code ec;
                                    fs::remove_all(scratch(), ec);
                                }) == 0;
    (void)cleanup;
    return dir;
}

std::vector<uint8_t> writeAndRead(const std::string& path, std::span<const uint8_t> bytes) {
    std::string error;
    check(safeWriteBytes(path, bytes, &error), "cannot save the file");
    std::vector<uint8_t> back;
    check(readBoundedFile(path, back, error) == BoundedRead::Ok, "cannot read the file back");
    return back;
}

bool oneLine(const std::string& s) {
    return !s.empty() && s.find('\n') == std::string::npos;
}

void checkDecision(std::span<const uint8_t> m, const ReceivedMessage& r) {
    for (const std::string& line : r.logLines)
        check(oneLine(line), "a log line that is empty or more than one line");
    switch (r.action) {
    case ReceiveAction::None:
        check(r.logLines.empty(), "nothing to do, yet logged");
        break;
    case ReceiveAction::LogOnly:
        check(!r.logLines.empty() && r.bytes.empty() && r.slot < 0, "a log-only decision that does more");
        break;
    case ReceiveAction::StoreSample: {
        const DumpCheck c = checkSampleDump(m);
        check(c.status == DumpStatus::Ok, "a refused dump stored");
        check(r.slot == c.slot && r.slot >= 0 && r.slot <= 9, "a sample stored in no slot");
        check(r.bytes.size() == c.count, "stored sample of another length");
        check(oneLine(r.nameCaption) && oneLine(r.sizeCaption), "captions missing");
        break;
    }
    case ReceiveAction::StorePattern:
        check(r.bytes.size() <= kPatternBufferSize, "kept pattern larger than its buffer");
        check(std::equal(r.bytes.begin(), r.bytes.end(), m.begin(), m.end()),
              "kept pattern is not the message");
        check(oneLine(r.patternLogLine), "kept pattern without its line");
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    const std::vector<uint8_t> file = writeAndRead((scratch() / "in.syx").string(), input);
    check(std::equal(file.begin(), file.end(), input.begin(), input.end()), "file read back differs");

    const SysExSplit split = splitSysEx(file);
    for (const std::span<const uint8_t> m : split.messages) {
        const ReceivedMessage r = decideReceived(m);
        checkDecision(m, r);
        if (r.action != ReceiveAction::StorePattern)
            continue;
        const std::vector<uint8_t> saved = writeAndRead((scratch() / "pattern.syx").string(), r.bytes);
        const SysExSplit again = splitSysEx(saved);
        check(again.error.empty() && again.messages.size() == 1, "saved pattern is not one message");
        const ReceivedMessage reloaded = decideReceived(again.messages[0]);
        check(reloaded.action == ReceiveAction::StorePattern && reloaded.bytes == r.bytes &&
                  reloaded.patternLogLine == r.patternLogLine,
              "saved pattern loads back as another");
    }
    // A stray byte or an unfinished message is named; the messages before it still count.
    check(split.error.empty() || split.error.find("byte ") != std::string::npos,
          "an error that names no byte");
    for (const auto& e : fs::directory_iterator(scratch())) {
        const std::string leaf = e.path().filename().string();
        check(leaf == "in.syx" || leaf == "pattern.syx", "a temporary file was left behind");
    }
    return 0;
}
