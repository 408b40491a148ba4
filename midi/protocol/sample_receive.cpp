#include "sample_receive.h"

#include "sample_byte_maps.h"
#include "sample_dump.h"
#include "transfer_log.h"

namespace vk350 {

namespace {

constexpr const char* kReceivedName = "New Sound";

void receiveSampleDump(std::span<const uint8_t> m, ReceivedMessage& r) {
    const DumpCheck check = checkSampleDump(m);
    r.logLines.push_back(dumpLogLine(check));
    if (check.status != DumpStatus::Ok) {
        // A bad checksum or length, an instrument the bank has no slot for, a cut message: no
        // slot is touched, so nothing that was there is lost.
        r.action = ReceiveAction::LogOnly;
        return;
    }
    r.bytes.resize(check.count);
    unpackSampleDump(m, r.bytes);
    convertSign(r.bytes);
    r.action = ReceiveAction::StoreSample;
    r.slot = check.slot;
    r.nameCaption = kReceivedName;
    r.sizeCaption = std::to_string(check.count / 1024 + 1) + "K";
}

} // namespace

ReceivedMessage decideReceived(std::span<const uint8_t> m) {
    ReceivedMessage r;
    if (m.empty())
        return r; // a receive buffer handed back with nothing in it
    const SysExKind kind = classifySysEx(m);
    const std::string line = receiveLogLine(m);
    switch (kind) {
    case SysExKind::SampleDump:
        receiveSampleDump(m, r);
        return r;
    case SysExKind::OnePattern:
    case SysExKind::AllPatterns:
        r.logLines.push_back(line);
        if (m.size() > kPatternBufferSize) {
            // Cutting it would keep a message the machine cannot take back; the held dump stays.
            r.action = ReceiveAction::LogOnly;
            r.logLines.push_back("Probleme Sysex trop long - Msg size =" + std::to_string(m.size()) +
                                 " - pattern non garde");
            return r;
        }
        r.action = ReceiveAction::StorePattern;
        r.bytes.assign(m.begin(), m.end());
        r.patternLogLine = line;
        return r;
    case SysExKind::Other:
        return r;
    case SysExKind::Foreign:
    case SysExKind::Truncated:
        break;
    }
    r.action = ReceiveAction::LogOnly;
    r.logLines.push_back(line);
    return r;
}

} // namespace vk350
