#include "midi_input.h"

#include <algorithm>

namespace vk350 {

MidiInput::MidiInput(MidiDriver& driver)
    : driver_(driver), memory_(allocateZeroed(static_cast<size_t>(kBufferCount) * kBufferSize)) {
    numDevs_ = std::clamp(driver_.inputCount(), 0, kMaxDevs);
    for (int i = 0; i < numDevs_; ++i)
        productNames_.push_back(driver_.inputName(i));
    for (int i = 0; i < kBufferCount; ++i)
        headers_[static_cast<size_t>(i)].data = memory_.get() + static_cast<size_t>(i) * kBufferSize;
}

MidiInput::~MidiInput() {
    // Also a device opened by a bare Prepare: its thread must stop before the members go.
    if (using_ || device_)
        UnPrepare();
}

std::string MidiInput::productName(int index) const {
    if (index < 0 || index >= numDevs_)
        return {};
    return productNames_[static_cast<size_t>(index)];
}

void MidiInput::SetUsing(bool value) {
    if (value && !using_)
        Prepare();
    else if (!value && using_)
        UnPrepare();
    // Also after a failed open: OpenResult tells the caller.
    using_ = value;
}

void MidiInput::SetPort(int value) {
    if (value < 0 || value >= numDevs_)
        return;
    if (!using_) {
        port_ = value;
        return;
    }
    UnPrepare();
    port_ = value;
    Prepare();
}

bool MidiInput::Closing() const {
    std::lock_guard lock(deliveryMutex_);
    return closing_;
}

void MidiInput::Prepare() {
    MidiInputEvents events;
    events.onShort = [this](uint8_t s, uint8_t a, uint8_t b) { ShortIn(s, a, b); };
    events.onLong = [this](MidiBuffer& buffer) { LongIn(buffer); };
    openResult_ = driver_.openInput(port_, std::move(events), device_);
    if (device_)
        device_->start();
    PrepSysEx();
}

void MidiInput::PrepSysEx() {
    {
        std::lock_guard lock(deliveryMutex_);
        closing_ = false;
    }
    // Queued headers belong to the device (its input thread fills them): leave them be.
    if (!queued_.load()) {
        for (MidiBuffer& h : headers_) {
            h.bufferLength = kBufferSize;
            h.bytesRecorded = 0;
            if (device_)
                device_->addBuffer(h);
        }
    }
    queued_.store(true);
}

void MidiInput::UnPrepare() {
    {
        std::unique_lock lock(deliveryMutex_);
        closing_ = true;
        deliveryDone_.wait(lock, [this] { return delivering_ == 0; });
    }
    if (device_) {
        device_->stop();
        device_->reset(); // hands back every buffer; LongIn absorbs them while closing
        UnPrepSysEx();
        closeResult_ = device_->close();
        device_.reset();
    } else {
        UnPrepSysEx();
        closeResult_ = kMidiInvalidHandle; // the open had failed: there is nothing to close
    }
    queued_.store(false);
}

void MidiInput::UnPrepSysEx() {
    // Headers still with a running device are not ours to touch; UnPrepare takes them back first.
    if (device_ && queued_.load() && !Closing())
        return;
    // A header without room cannot be handed to a device until PrepSysEx prepares it again.
    for (MidiBuffer& h : headers_)
        h.bufferLength = 0;
}

bool MidiInput::beginDelivery() {
    std::lock_guard lock(deliveryMutex_);
    if (closing_)
        return false;
    ++delivering_;
    return true;
}

void MidiInput::endDelivery() {
    std::lock_guard lock(deliveryMutex_);
    --delivering_;
    deliveryDone_.notify_all();
}

// Ends a delivery however its handler leaves it, a throw included: a delivery left counted would
// make closing wait for ever.
class MidiInput::Delivery {
public:
    Delivery(MidiInput& in, MidiBuffer* buffer) : in_(in), buffer_(buffer) {}
    ~Delivery() {
        // The same buffer serves the next message.
        if (buffer_) {
            buffer_->bytesRecorded = 0;
            buffer_->bufferLength = kBufferSize;
            if (in_.device_)
                in_.device_->addBuffer(*buffer_);
        }
        in_.endDelivery();
    }
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;

private:
    MidiInput& in_;
    MidiBuffer* buffer_;
};

void MidiInput::ShortIn(uint8_t status, uint8_t first, uint8_t second) {
    if (!beginDelivery())
        return;
    const Delivery delivery(*this, nullptr);
    if (OnShort && useShort_.load())
        OnShort(this, status, first, second);
}

void MidiInput::LongIn(MidiBuffer& buffer) {
    // Buffers handed back while closing are neither delivered nor queued again.
    if (!beginDelivery())
        return;
    const Delivery delivery(*this, &buffer);
    if (OnSysEx && useSysEx_.load())
        OnSysEx(this, buffer.data, static_cast<int>(buffer.bytesRecorded));
}

} // namespace vk350
