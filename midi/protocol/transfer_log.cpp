#include "transfer_log.h"

#include "bank_location.h"

namespace vk350 {

std::string hex2(uint8_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    return {digits[value >> 4], digits[value & 0x0F]};
}

std::string sendLogLine(int slot, size_t messageSize, uint8_t checksum) {
    return "Send Instr #" + std::to_string(slot) + " Msg Size =" + std::to_string(messageSize) +
           "  - Checksum =" + hex2(checksum);
}

std::string bankAdjustLogLine(int slot, size_t length) {
    const size_t size = kBankLocations[static_cast<size_t>(slot)].size();
    if (length > size)
        return "Adjust Size #" + std::to_string(slot) + " Cut " + std::to_string(length - size) + " bytes";
    return "Adjust Size  #" + std::to_string(slot) + " Add " + std::to_string(size - length) + " bytes";
}

std::string editorAdjustLogLine(int slot, size_t length) {
    const size_t size = kBankLocations[static_cast<size_t>(slot)].size();
    if (length > size)
        return "Adjust Size Editor - Cut " + std::to_string(length - size) + " bytes";
    if (length < size)
        return "Adjust Size Editor - Add " + std::to_string(size - length) + " bytes";
    return {};
}

std::string dumpLogLine(const DumpCheck& c) {
    switch (c.status) {
    case DumpStatus::Ok:
        return ">RX Instr #" + std::to_string(c.slot) + " Msg size =" + std::to_string(c.messageSize) +
               " Checksum =" + hex2(c.checksumCalc);
    case DumpStatus::BadChecksum:
        return "Probleme de Checksum - Msg =" + hex2(c.checksumSent) + " Calc =" + hex2(c.checksumCalc);
    case DumpStatus::BadLength:
        return "Probleme controle taille du sample";
    case DumpStatus::TooShort:
        return "Probleme Sysex trop court - Msg size =" + std::to_string(c.messageSize);
    case DumpStatus::BadInstrument:
        return "Probleme Instr #" + std::to_string(c.instrument) + " inconnu";
    case DumpStatus::TooLarge:
        return "Probleme Sysex trop long - Msg size =" + std::to_string(c.messageSize);
    }
    return {};
}

std::string receiveLogLine(std::span<const uint8_t> m) {
    switch (classifySysEx(m)) {
    case SysExKind::Foreign:
        return "UFO Sysex Message !?!";
    case SysExKind::Truncated:
        return "Probleme Sysex trop court - Msg size =" + std::to_string(m.size());
    case SysExKind::SampleDump:
        return dumpLogLine(checkSampleDump(m));
    case SysExKind::OnePattern:
        return "> Syx ONEPAT recu " + std::to_string(m.size());
    case SysExKind::AllPatterns:
        return "> Syx ALLPAT recu " + std::to_string(m.size());
    case SysExKind::Other:
        break;
    }
    return {};
}

} // namespace vk350
