#include "received_patterns.h"

#include <algorithm>
#include <cstring>

namespace vk350 {

ReceivedPatterns::ReceivedPatterns() : buffer_(new uint8_t[kBufferSize]()) {}

void ReceivedPatterns::ReceivePatternDump(const uint8_t* message, int size, const QString& line) {
    // Never past the buffer, whatever the caller hands over.
    const int n = std::clamp(size, 0, kBufferSize);
    std::memcpy(buffer_.get(), message, static_cast<size_t>(n));
    held_ = n;
    log_ << line;
}

} // namespace vk350
