#include "sysex_file.h"

namespace vk350 {

SysExSplit splitSysEx(std::span<const uint8_t> bytes) {
    SysExSplit r;
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        if (bytes[i] != 0xF0) {
            r.error = "byte " + std::to_string(i) + " is outside any SysEx message";
            return r;
        }
        size_t j = i + 1;
        while (j < n && bytes[j] < 0x80)
            ++j;
        if (j == n) {
            r.error = "SysEx message at byte " + std::to_string(i) + " has no end (0xF7)";
            return r;
        }
        if (bytes[j] != 0xF7) {
            r.error =
                "SysEx message at byte " + std::to_string(i) + " is cut short at byte " + std::to_string(j);
            return r;
        }
        r.messages.push_back(bytes.subspan(i, j + 1 - i));
        i = j + 1;
    }
    return r;
}

} // namespace vk350
