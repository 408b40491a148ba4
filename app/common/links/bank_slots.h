// What the options window reaches of the sample bank: the ten slot controls (for colours,
// gradient and received sample dumps) and their name and size captions. The sample bank window
// implements it. Window thread only.
#pragma once

#include "sample_view.h"

#include <QString>

namespace vk350 {

class BankSlots {
public:
    static constexpr int kSlotCount = 10;

    virtual ~BankSlots() = default;
    // The waveform control of slot 0 to 9.
    virtual SampleView& SlotView(int slot) = 0;
    virtual void SetSlotName(int slot, const QString& caption) = 0;
    virtual void SetSlotSize(int slot, const QString& caption) = 0;
};

// What the options window reaches of the patterns window: received pattern dumps.
class PatternDumps {
public:
    virtual ~PatternDumps() = default;
    // The whole message replaces the held dump; line goes to the window's own log.
    virtual void ReceivePatternDump(const uint8_t* message, int size, const QString& line) = 0;
};

} // namespace vk350
