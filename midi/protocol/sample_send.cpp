#include "sample_send.h"

#include "bank_location.h"
#include "midi_result.h"
#include "sample_dump.h"
#include "transfer_log.h"

#include <algorithm>
#include <cstring>

namespace vk350 {

SizeFit fitSampleToSlot(int slot, SampleSource source, std::span<uint8_t> store, size_t length) {
    SizeFit fit;
    fit.length = length;
    if (slot < 0 || slot >= kBankSlots)
        return fit;
    const size_t size = kBankLocations[static_cast<size_t>(slot)].size();
    if (store.size() < size)
        return fit;
    fit.logLine =
        source == SampleSource::Bank ? bankAdjustLogLine(slot, length) : editorAdjustLogLine(slot, length);
    if (length < size)
        std::memset(store.data() + length, 0, size - length);
    fit.length = size;
    return fit;
}

SampleSendPlan prepareSampleSend(int slot, SampleSource source, std::span<uint8_t> store, size_t length,
                                 std::span<uint8_t> sendBuffer) {
    SampleSendPlan plan;
    plan.length = length;
    if (slot < 0 || slot >= kBankSlots || store.size() < kBankLocations[static_cast<size_t>(slot)].size())
        return plan;
    const SizeFit fit = fitSampleToSlot(slot, source, store, length);
    plan.length = fit.length;
    if (!fit.logLine.empty())
        plan.logLines.push_back(fit.logLine);
    const size_t count = std::min(fit.length, kMaxDumpSamples);
    plan.messageSize = buildSampleDump(slot, store.first(count), sendBuffer);
    if (plan.messageSize == 0)
        return plan;
    plan.checksum = sendBuffer[plan.messageSize - 2];
    plan.logLines.push_back(sendLogLine(slot, plan.messageSize, plan.checksum));
    return plan;
}

std::string sendResultLogLine(int code) {
    if (code == kMidiOk)
        return std::string(kTransferOk);
    return "Erreur transfert MIDI OUT - code " + std::to_string(code);
}

std::string cutDumpLogLine(size_t sent, size_t total) {
    return "Transfert interrompu - dump coupe a " + std::to_string(sent) + " / " + std::to_string(total) +
           " octets";
}

std::string cancelledLogLine() {
    return "Transfert annule";
}

} // namespace vk350
