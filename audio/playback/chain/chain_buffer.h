// The buffer record handed along the audio chain: filled by a source through BufferLoad, played
// by the device, then passed on through BufferReady. The device allocates each record together
// with its data area and nobody reads or writes past dwCapacity bytes of it.
#pragma once

#include <atomic>
#include <cstdint>

namespace vk350 {

// Header flags (dwFlags).
constexpr uint32_t WHDR_DONE = 0x01;     // the device has finished with the buffer
constexpr uint32_t WHDR_PREPARED = 0x02; // prepared for the device
constexpr uint32_t WHDR_INQUEUE = 0x10;  // queued on the device

// Loop bookkeeping that travels with each buffer between the device and the source.
struct LoopRecord {
    int32_t dwLooping = 0;        // -1 when the device loops, else 0
    int32_t dwLoopCount = 0;      // 0: endless
    int32_t dwLoopsRemaining = 0; // taken back by the device after each load
    int32_t dwLoopWrap = 0;       // -1: the source wrapped to the start while filling this buffer
};

struct ChainBuffer {
    uint8_t* lpData = nullptr;
    uint32_t dwBufferLength = 0; // what a load may fill; after the load, the bytes it filled
    uint32_t dwBytesRecorded = 0;
    uintptr_t dwUser = 0;
    std::atomic<uint32_t> dwFlags{0}; // the device thread sets WHDR_DONE
    uint32_t dwLoops = 0;
    ChainBuffer* lpNext = nullptr;
    uintptr_t reserved = 0;
    uint32_t dwReserved2 = 0;
    uint32_t dwSavedBytes = 0;        // bytes loaded, restored into dwBytesRecorded once played
    ChainBuffer* lpSyncHdr = nullptr; // the buffer audible now, set when this one is passed on
    LoopRecord LoopRec;
    uint32_t dwCapacity = 0; // bytes allocated at lpData

    // The bytes a reader may take: the recorded count, never beyond the allocation.
    uint32_t validBytes() const { return dwBytesRecorded < dwCapacity ? dwBytesRecorded : dwCapacity; }
};

} // namespace vk350
