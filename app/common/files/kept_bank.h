// The bank's ten slots (bytes, name and size captions) as kept between runs in the user's data
// folder. Each slot is a record with its own check sum, so that damage costs only the slots it
// touches: reading goes on past a record whose sum fails, and stops only where the lengths no
// longer make sense. Any thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace vk350 {

struct KeptSlot {
    bool present = false;
    QString name;
    QString size;
    std::vector<uint8_t> bytes;
};

using KeptSlots = std::array<KeptSlot, 10>;

struct KeptBankRead {
    KeptSlots kept;
    // Something was skipped or cut short; the slots read are still good.
    bool damaged = false;
};

// Slots that are not present are not written.
QByteArray encodeKeptBank(const KeptSlots& kept);
KeptBankRead decodeKeptBank(const QByteArray& data);

} // namespace vk350
