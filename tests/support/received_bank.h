// The ten bank slots without a window, for tests and benchmarks of the options window: their
// waveform controls and captions, which received sample dumps fill and the Colors page colours.
#pragma once

#include "bank_slots.h"

#include <array>
#include <memory>

namespace vk350 {

class ReceivedBank : public BankSlots {
public:
    ReceivedBank();
    ~ReceivedBank() override;

    SampleView& SlotView(int slot) override;
    void SetSlotName(int slot, const QString& caption) override;
    void SetSlotSize(int slot, const QString& caption) override;

    QString SlotName(int slot) const;
    QString SlotSize(int slot) const;

private:
    struct Slot {
        std::unique_ptr<SampleView> edit;
        QString name = QStringLiteral("...");
        QString size;
    };
    Slot& At(int slot);
    const Slot& At(int slot) const;

    std::array<Slot, kSlotCount> slots_;
};

} // namespace vk350
