// A single-reader, single-writer queue of whole records (a small header and up to a few KiB of
// MIDI bytes) over JACK's lock-free ring buffer, for passing bytes between the process callback
// and an ordinary thread without a lock or an allocation on the callback's side. A record is
// published with one advance of the write pointer, so the reader never sees half of one.
#pragma once

#include <cstddef>
#include <cstdint>

#include <jack/ringbuffer.h>

namespace vk350 {

class JackRecordRing {
public:
    struct Header {
        uint32_t kind = 0; // what the record carries; the users of the ring give the values
        uint32_t size = 0; // payload bytes after the header
    };

    // Allocates (and tries to lock into memory) room for about capacity bytes of records; check
    // valid() afterwards.
    explicit JackRecordRing(size_t capacity);
    ~JackRecordRing();
    JackRecordRing(const JackRecordRing&) = delete;
    JackRecordRing& operator=(const JackRecordRing&) = delete;

    bool valid() const { return ring_ != nullptr; }

    // Writer: false, writing nothing, when the whole record does not fit.
    bool write(uint32_t kind, const uint8_t* data, size_t size);
    // Writer: bytes free for records, headers included.
    size_t writeSpace() const;

    // Reader: the next record's header, without consuming it; false when none is waiting.
    bool peek(Header& header) const;
    // Reader: copies the payload of the record that peek showed (up to its size) to out and
    // consumes the record.
    void read(uint8_t* out);
    // Reader: consumes the record that peek showed without copying it.
    void skip();
    // Reader: consumes every record waiting; returns how many there were.
    size_t skipAll();
    // Either side: true when no record is waiting.
    bool empty() const;

private:
    jack_ringbuffer_t* ring_ = nullptr;
};

} // namespace vk350
