#include "zeroed_bytes.h"

#include <cstdlib>
#include <new>

namespace vk350 {

void FreeBytes::operator()(std::uint8_t* p) const noexcept {
    std::free(p);
}

ZeroedBytes allocateZeroed(std::size_t size) {
    // calloc takes large blocks straight from the system, already zero, and skips the clearing.
    void* p = std::calloc(size ? size : 1, 1);
    if (!p)
        throw std::bad_alloc();
    return ZeroedBytes(static_cast<std::uint8_t*>(p));
}

} // namespace vk350
