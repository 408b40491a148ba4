// The DISP chunks of a wave file: a clipboard format type and its data, in file order.
#pragma once

#include <cstdint>
#include <vector>

namespace vk350 {

class RiffFile;

struct TDisp {
    uint32_t type = 0; // 1 = text, 8 = device-independent bitmap
    std::vector<uint8_t> data;
};

class TDispList {
public:
    static constexpr uint32_t kText = 1;
    static constexpr uint32_t kBitmap = 8;

    std::vector<TDisp>& items() { return items_; }
    const std::vector<TDisp>& items() const { return items_; }

    // Appends the body of a DISP chunk (its type, then data); false when shorter than the type.
    bool addFromChunk(const std::vector<uint8_t>& body);
    // Writes a DISP chunk for each text or bitmap entry; returns a RiffResult.
    int write(RiffFile& file) const;

private:
    std::vector<TDisp> items_;
};

} // namespace vk350
