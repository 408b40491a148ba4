#include "stream_input_port.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace vk350 {

StreamInputPort::StreamInputPort(MidiInputEvents events) : events_(std::move(events)) {
    parser_.OnShort = [this](uint8_t s, uint8_t a, uint8_t b) {
        if (events_.onShort)
            events_.onShort(s, a, b);
    };
    parser_.OnSysExData = [this](const uint8_t* p, size_t n) { sysExData(p, n); };
    parser_.OnSysExEnd = [this](bool) { sysExEnd(); };
}

int StreamInputPort::start() {
    std::lock_guard lock(feedMutex_);
    started_ = true;
    return kMidiOk;
}

int StreamInputPort::stop() {
    MidiBuffer* partial = nullptr;
    {
        std::lock_guard lock(feedMutex_);
        started_ = false;
        parser_.reset();
        partial = std::exchange(current_, nullptr);
    }
    if (partial)
        deliver(partial);
    return kMidiOk;
}

int StreamInputPort::reset() {
    std::vector<MidiBuffer*> pending;
    {
        std::lock_guard lock(feedMutex_);
        started_ = false;
        parser_.reset();
        if (current_)
            pending.push_back(std::exchange(current_, nullptr));
        std::lock_guard qlock(queueMutex_);
        pending.insert(pending.end(), queue_.begin(), queue_.end());
        queue_.clear();
    }
    for (MidiBuffer* b : pending)
        deliver(b);
    return kMidiOk;
}

int StreamInputPort::addBuffer(MidiBuffer& buffer) {
    if (buffer.data == nullptr || buffer.bufferLength == 0)
        return kMidiInvalidParam;
    buffer.bytesRecorded = 0;
    std::lock_guard lock(queueMutex_);
    queue_.push_back(&buffer);
    return kMidiOk;
}

void StreamInputPort::receive(const uint8_t* data, size_t size) {
    std::lock_guard lock(feedMutex_);
    if (started_)
        parser_.feed(data, size);
}

void StreamInputPort::interrupt(size_t lostBytes) {
    std::lock_guard lock(feedMutex_);
    dropped_ += lostBytes;
    if (!started_)
        return;
    parser_.reset();
    sysExEnd();
}

size_t StreamInputPort::droppedBytes() const {
    std::lock_guard lock(feedMutex_);
    return dropped_;
}

// Under feedMutex_ (called by the parser).
void StreamInputPort::sysExData(const uint8_t* p, size_t n) {
    while (n > 0) {
        if (current_ == nullptr) {
            std::lock_guard qlock(queueMutex_);
            if (queue_.empty()) {
                // No buffer to receive into: the rest of the message is lost, as on a real device.
                dropped_ += n;
                return;
            }
            current_ = queue_.front();
            queue_.pop_front();
            current_->bytesRecorded = 0;
        }
        const size_t room = current_->bufferLength - current_->bytesRecorded;
        const size_t take = std::min(room, n);
        std::memcpy(current_->data + current_->bytesRecorded, p, take);
        current_->bytesRecorded += static_cast<uint32_t>(take);
        p += take;
        n -= take;
        if (current_->bytesRecorded == current_->bufferLength)
            deliver(std::exchange(current_, nullptr));
    }
}

// Under feedMutex_ (called by the parser).
void StreamInputPort::sysExEnd() {
    if (current_)
        deliver(std::exchange(current_, nullptr));
}

void StreamInputPort::deliver(MidiBuffer* buffer) {
    if (events_.onLong)
        events_.onLong(*buffer);
}

} // namespace vk350
