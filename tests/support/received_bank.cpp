#include "received_bank.h"

#include <algorithm>

namespace vk350 {

ReceivedBank::ReceivedBank() {
    for (Slot& s : slots_)
        s.edit = std::make_unique<SampleView>();
}

ReceivedBank::~ReceivedBank() = default;

ReceivedBank::Slot& ReceivedBank::At(int slot) {
    return slots_[static_cast<size_t>(std::clamp(slot, 0, kSlotCount - 1))];
}

const ReceivedBank::Slot& ReceivedBank::At(int slot) const {
    return slots_[static_cast<size_t>(std::clamp(slot, 0, kSlotCount - 1))];
}

SampleView& ReceivedBank::SlotView(int slot) {
    return *At(slot).edit;
}

void ReceivedBank::SetSlotName(int slot, const QString& caption) {
    At(slot).name = caption;
}

void ReceivedBank::SetSlotSize(int slot, const QString& caption) {
    At(slot).size = caption;
}

QString ReceivedBank::SlotName(int slot) const {
    return At(slot).name;
}

QString ReceivedBank::SlotSize(int slot) const {
    return At(slot).size;
}

} // namespace vk350
