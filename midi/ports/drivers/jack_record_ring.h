// A single-reader, single-writer queue of whole records (a small header and up to a few KiB of
// MIDI bytes), for passing bytes between the process callback and an ordinary thread without a
// lock or an allocation on the callback's side. A record is published with one release store of
// the write position, and its room is given back with one release store of the read position,
// so the reader never sees half of one and the writer never overwrites bytes still being read.
// (JACK's own ring buffer moves its positions with plain stores, which orders nothing on a CPU
// that may reorder stores.)
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace vk350 {

class JackRecordRing {
public:
    struct Header {
        uint32_t kind = 0; // what the record carries; the users of the ring give the values
        uint32_t size = 0; // payload bytes after the header
    };

    // Allocates (and tries to lock into memory) room for about capacity bytes of records (the
    // next power of two, one byte of it never used); check valid() afterwards.
    explicit JackRecordRing(size_t capacity);
    ~JackRecordRing();
    JackRecordRing(const JackRecordRing&) = delete;
    JackRecordRing& operator=(const JackRecordRing&) = delete;

    bool valid() const { return memory_ != nullptr; }

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
    // Copies across the end of the memory; at is a position (a count of bytes ever written).
    void copyIn(size_t at, const uint8_t* from, size_t n);
    void copyOut(size_t at, uint8_t* to, size_t n) const;

    std::unique_ptr<uint8_t[]> memory_;
    size_t size_ = 0; // a power of two
    bool locked_ = false;
    std::atomic<size_t> read_{0};  // bytes consumed so far; stored by the reader only
    std::atomic<size_t> write_{0}; // bytes published so far; stored by the writer only
};

} // namespace vk350
