#include "raw_midi_parser.h"

namespace vk350 {

int shortMessageLength(uint8_t status) {
    if (status < 0x80)
        return 0;
    if (status < 0xF0)
        return (status & 0xE0) == 0xC0 ? 2 : 3; // program change and channel pressure carry one byte
    switch (status) {
    case 0xF1: // time code quarter frame
    case 0xF3: // song select
        return 2;
    case 0xF2: // song position
        return 3;
    case 0xF0:
    case 0xF7:
        return 0;
    default: // tune request, undefined system common bytes, real-time bytes
        return 1;
    }
}

void RawMidiParser::reset() {
    inSysEx_ = false;
    status_ = 0;
    have_ = 0;
    need_ = 0;
}

void RawMidiParser::feed(const uint8_t* p, size_t size) {
    size_t i = 0;
    while (i < size) {
        if (inSysEx_ && p[i] < 0x80) {
            // Pass the data bytes of a dump on in one run rather than one call per byte.
            size_t j = i;
            while (j < size && p[j] < 0x80)
                ++j;
            if (OnSysExData)
                OnSysExData(p + i, j - i);
            i = j;
            continue;
        }
        const uint8_t b = p[i++];
        if (b >= 0x80)
            status(b);
        else
            data(b);
    }
}

void RawMidiParser::endSysEx(bool complete) {
    inSysEx_ = false;
    if (OnSysExEnd)
        OnSysExEnd(complete);
}

void RawMidiParser::status(uint8_t b) {
    if (b >= 0xF8) {
        // Real-time bytes may appear anywhere and change no state.
        if (OnShort)
            OnShort(b, 0, 0);
        return;
    }
    if (b == 0xF7) {
        if (inSysEx_) {
            if (OnSysExData)
                OnSysExData(&b, 1);
            endSysEx(true);
        }
        // A stray end byte outside a SysEx carries nothing.
        status_ = 0;
        need_ = 0;
        return;
    }
    if (inSysEx_)
        endSysEx(false);
    have_ = 0;
    if (b == 0xF0) {
        inSysEx_ = true;
        status_ = 0;
        need_ = 0;
        if (OnSysExData)
            OnSysExData(&b, 1);
        return;
    }
    const int length = shortMessageLength(b);
    if (length == 1) {
        // Tune request and the undefined system common bytes stand alone and cancel running status.
        status_ = 0;
        need_ = 0;
        if (OnShort)
            OnShort(b, 0, 0);
        return;
    }
    status_ = b;
    need_ = length - 1;
}

void RawMidiParser::data(uint8_t b) {
    if (status_ == 0)
        return; // no status to attach it to: noise on the line
    bytes_[have_++] = b;
    if (have_ < need_)
        return;
    const uint8_t st = status_;
    const uint8_t first = bytes_[0];
    const uint8_t second = need_ == 2 ? bytes_[1] : 0;
    have_ = 0;
    if (st >= 0xF0)
        status_ = 0; // system common messages leave no running status behind
    if (OnShort)
        OnShort(st, first, second);
}

} // namespace vk350
