// Large byte buffers that start as zeros without being written: the system hands out fresh pages
// zeroed, so a buffer costs memory only for the pages that are used. Allocated once, at full size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vk350 {

struct FreeBytes {
    void operator()(std::uint8_t* p) const noexcept;
};
using ZeroedBytes = std::unique_ptr<std::uint8_t[], FreeBytes>;

// size zero bytes; throws std::bad_alloc when the memory is not there.
ZeroedBytes allocateZeroed(std::size_t size);

} // namespace vk350
