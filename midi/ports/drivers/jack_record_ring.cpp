#include "jack_record_ring.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace vk350 {

JackRecordRing::JackRecordRing(size_t capacity) {
    size_t size = 16;
    while (size < capacity)
        size *= 2;
    memory_.reset(new (std::nothrow) uint8_t[size]());
    if (!memory_)
        return;
    size_ = size;
    // Pages the callback touches must not fault; where locking is not allowed it still works.
    locked_ = mlock(memory_.get(), size_) == 0;
}

JackRecordRing::~JackRecordRing() {
    if (locked_)
        munlock(memory_.get(), size_);
}

void JackRecordRing::copyIn(size_t at, const uint8_t* from, size_t n) {
    if (n == 0)
        return; // an empty record may come with no data pointer at all
    const size_t start = at & (size_ - 1);
    const size_t first = std::min(n, size_ - start);
    std::memcpy(memory_.get() + start, from, first);
    std::memcpy(memory_.get(), from + first, n - first);
}

void JackRecordRing::copyOut(size_t at, uint8_t* to, size_t n) const {
    if (n == 0)
        return;
    const size_t start = at & (size_ - 1);
    const size_t first = std::min(n, size_ - start);
    std::memcpy(to, memory_.get() + start, first);
    std::memcpy(to + first, memory_.get(), n - first);
}

bool JackRecordRing::write(uint32_t kind, const uint8_t* data, size_t size) {
    const Header header{kind, static_cast<uint32_t>(size)};
    if (sizeof header + size > writeSpace())
        return false;
    const size_t at = write_.load(std::memory_order_relaxed);
    copyIn(at, reinterpret_cast<const uint8_t*>(&header), sizeof header);
    copyIn(at + sizeof header, data, size);
    write_.store(at + sizeof header + size, std::memory_order_release);
    return true;
}

size_t JackRecordRing::writeSpace() const {
    // Acquire: the reader is done with the bytes it gave back before they are written again.
    const size_t used = write_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire);
    return size_ - 1 - used;
}

bool JackRecordRing::peek(Header& header) const {
    const size_t at = read_.load(std::memory_order_relaxed);
    if (write_.load(std::memory_order_acquire) - at < sizeof header)
        return false;
    copyOut(at, reinterpret_cast<uint8_t*>(&header), sizeof header);
    return true;
}

void JackRecordRing::read(uint8_t* out) {
    Header header;
    if (!peek(header))
        return;
    const size_t at = read_.load(std::memory_order_relaxed);
    copyOut(at + sizeof header, out, header.size);
    read_.store(at + sizeof header + header.size, std::memory_order_release);
}

void JackRecordRing::skip() {
    Header header;
    if (peek(header))
        read_.store(read_.load(std::memory_order_relaxed) + sizeof header + header.size,
                    std::memory_order_release);
}

size_t JackRecordRing::skipAll() {
    size_t count = 0;
    Header header;
    while (peek(header)) {
        skip();
        ++count;
    }
    return count;
}

bool JackRecordRing::empty() const {
    return write_.load(std::memory_order_acquire) == read_.load(std::memory_order_acquire);
}

} // namespace vk350
