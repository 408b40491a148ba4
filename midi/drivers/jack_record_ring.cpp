#include "jack_record_ring.h"

#include <cstring>
#include <jack/ringbuffer.h>

namespace vk350 {

JackRecordRing::JackRecordRing(size_t capacity) : ring_(jack_ringbuffer_create(capacity)) {
    // Pages the callback touches must not fault; where locking is not allowed it still works.
    if (ring_)
        jack_ringbuffer_mlock(ring_);
}

JackRecordRing::~JackRecordRing() {
    if (ring_)
        jack_ringbuffer_free(ring_);
}

bool JackRecordRing::write(uint32_t kind, const uint8_t* data, size_t size) {
    const Header header{kind, static_cast<uint32_t>(size)};
    const size_t total = sizeof header + size;
    jack_ringbuffer_data_t vec[2];
    jack_ringbuffer_get_write_vector(ring_, vec);
    if (vec[0].len + vec[1].len < total)
        return false;
    // Copy header and payload across the wrap, then publish them in one step.
    const uint8_t* parts[2] = {reinterpret_cast<const uint8_t*>(&header), data};
    const size_t sizes[2] = {sizeof header, size};
    size_t region = 0, at = 0;
    for (int p = 0; p < 2; ++p) {
        size_t left = sizes[p];
        const uint8_t* from = parts[p];
        while (left > 0) {
            const size_t room = vec[region].len - at;
            if (room == 0) {
                ++region;
                at = 0;
                continue;
            }
            const size_t n = left < room ? left : room;
            std::memcpy(vec[region].buf + at, from, n);
            at += n;
            from += n;
            left -= n;
        }
    }
    jack_ringbuffer_write_advance(ring_, total);
    return true;
}

size_t JackRecordRing::writeSpace() const {
    return jack_ringbuffer_write_space(ring_);
}

bool JackRecordRing::peek(Header& header) const {
    if (jack_ringbuffer_read_space(ring_) < sizeof header)
        return false;
    jack_ringbuffer_peek(ring_, reinterpret_cast<char*>(&header), sizeof header);
    return true;
}

void JackRecordRing::read(uint8_t* out) {
    Header header;
    if (!peek(header))
        return;
    jack_ringbuffer_read_advance(ring_, sizeof header);
    jack_ringbuffer_read(ring_, reinterpret_cast<char*>(out), header.size);
}

void JackRecordRing::skip() {
    Header header;
    if (peek(header))
        jack_ringbuffer_read_advance(ring_, sizeof header + header.size);
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
    return jack_ringbuffer_read_space(ring_) == 0;
}

} // namespace vk350
