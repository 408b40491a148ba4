#include "bank_location.h"

#include <cctype>

namespace vk350 {

int slotForInstrument(int instrument) {
    // Fourteen instrument numbers share the ten slots: 3 and 4 are hi-hats, 7 to 10 toms.
    static constexpr std::array<int8_t, kMaxInstrument + 1> map = {0, 1, 2, 3, 3, 4, 5, 6, 6, 6, 6, 7, 8, 9};
    if (instrument < 0 || instrument > kMaxInstrument)
        return -1;
    return map[static_cast<size_t>(instrument)];
}

int slotFromName(std::string_view name) {
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9')
        return name[0] - '0';
    if (name.size() != 2)
        return -1;
    for (int i = 0; i < kBankSlots; ++i) {
        const std::string_view label = kBankLocations[static_cast<size_t>(i)].label;
        if (std::toupper(static_cast<unsigned char>(name[0])) == label[0] &&
            std::toupper(static_cast<unsigned char>(name[1])) == label[1])
            return i;
    }
    return -1;
}

} // namespace vk350
