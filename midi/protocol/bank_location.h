// The ten sample locations of the VK350 bank: their labels, the instrument numbers they carry on
// the wire and their fixed sizes, and the map from a received instrument number to a location.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vk350 {

struct BankLocation {
    std::string_view label; // as the bank window shows it
    uint8_t instrument;     // sent in byte 8 of a sample dump
    uint32_t sizeK;

    constexpr uint32_t size() const { return sizeK * 1024; }
};

inline constexpr int kBankSlots = 10;
inline constexpr int kMaxInstrument = 13;

inline constexpr std::array<BankLocation, kBankSlots> kBankLocations = {{
    {"BD", 0, 8},
    {"SD", 1, 16},
    {"RS", 2, 16},
    {"HH", 4, 16},
    {"P3", 5, 4},
    {"P2", 6, 4},
    {"TM", 7, 16},
    {"CB", 11, 64},
    {"CP", 12, 8},
    {"P1", 13, 4},
}};

// The slot that a received instrument number fills; -1 above kMaxInstrument or below 0.
int slotForInstrument(int instrument);

// A slot given by label ("BD", any case) or by index ("0" to "9"); -1 when neither.
int slotFromName(std::string_view name);

} // namespace vk350
