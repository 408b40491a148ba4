// A held peak marker: caught when a value reaches it, kept for a number of timer ticks, then
// falling one spot per PeakSpeed ticks (or dropping at once when PeakSpeed is 0).
#pragma once

#include <cstdint>

namespace vk350 {

struct PeakHold {
    std::int32_t peak = 0; // in spots
    std::int32_t hold = 0; // ticks until the next fall

    // Returns whether the peak changed.
    bool Catch(std::int32_t spots, std::int32_t numPeaks, std::int32_t peakDelay) {
        if (spots < peak || spots <= 0 || numPeaks <= 0)
            return false;
        peak = spots;
        hold = 2 * peakDelay + 1;
        return true;
    }

    // One timer tick; returns whether the peak changed.
    bool Tick(std::int32_t peakSpeed) {
        if (peak <= 0 || --hold > 0)
            return false;
        if (peakSpeed > 0) {
            --peak;
            hold = peakSpeed;
        } else {
            peak = 0;
            hold = 0;
        }
        return true;
    }

    void Reset() { peak = hold = 0; }
};

} // namespace vk350
