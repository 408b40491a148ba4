// The DISP chunks of a wave file: a clipboard format type and its data, in file order.
#pragma once

#include <cstdint>
#include <vector>

namespace vk350 {

class RiffFile;

struct DispChunk {
    uint32_t type = 0; // 1 = text, 8 = device-independent bitmap
    std::vector<uint8_t> data;
};

class DispList {
public:
    static constexpr uint32_t kText = 1;
    static constexpr uint32_t kBitmap = 8;

    std::vector<DispChunk>& items() { return items_; }
    const std::vector<DispChunk>& items() const { return items_; }

    // Appends the body of a DISP chunk (its type, then data); false when shorter than the type.
    bool addFromChunk(const std::vector<uint8_t>& body);
    // Writes a DISP chunk for each text or bitmap entry; returns a RiffResult.
    int write(RiffFile& file) const;

private:
    std::vector<DispChunk> items_;
};

} // namespace vk350
