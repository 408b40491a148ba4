#include "sample_buffer.h"

#include "safe_file.h"
#include "sample_byte_maps.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace vk350 {

namespace {

ZeroedBytes ZeroedBuffer() {
    return allocateZeroed(SampleBuffer::Capacity);
}

// Rounds toward minus infinity (d > 0): a column count that ends a selection before a limit must
// round down even when the limit lies before the origin.
std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
    const std::int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

} // namespace

SampleBuffer::SampleBuffer() : data_(ZeroedBuffer()), clipboard_(ZeroedBuffer()), undo_(ZeroedBuffer()) {}

void SampleBuffer::Redraw() {
    if (OnRedraw)
        OnRedraw();
}

// Max never grows past the buffers, which are never resized.
void SampleBuffer::SetMax(std::int32_t value) {
    value = std::clamp(value, 0, Capacity);
    Assign(max_, value);
}

void SampleBuffer::SetViewOrigin(std::int32_t value) {
    Assign(viewOrigin_, value);
}

// A zoom below 1 has no meaning and would divide by zero.
void SampleBuffer::SetZoom(std::int32_t value) {
    value = std::max(value, 1);
    Assign(zoom_, value);
}

void SampleBuffer::SetLocatorPos(std::int32_t value) {
    Assign(locatorPos_, value);
}

void SampleBuffer::SetSelectionPos(std::int32_t value) {
    Assign(selectionPos_, value);
}

void SampleBuffer::SetSelectionLen(std::int32_t value) {
    Assign(selectionLen_, value);
}

void SampleBuffer::SetSpectrumCenter(bool value) {
    Assign(spectrumCenter_, value);
}

void SampleBuffer::SetSampleLen(std::int32_t n) {
    sampleLen_ = std::clamp(n, 0, max_);
}

std::uint8_t SampleBuffer::GetSampleValue(std::int32_t index) const {
    if (index < 0 || index >= Capacity)
        return 0;
    return data_[index];
}

void SampleBuffer::SetSampleValue(std::uint8_t value, std::int32_t index) {
    if (index < 0 || index >= max_ || data_[index] == value)
        return;
    data_[index] = value;
    Redraw();
}

bool SampleBuffer::LoadFromFile(const std::string& fileName, bool redraw, std::int64_t offset) {
    const bool loaded = ReadFile(fileName, offset);
    // Asked for, the redraw comes whether or not the file gave any bytes.
    if (redraw)
        Redraw();
    return loaded;
}

bool SampleBuffer::ReadFile(const std::string& fileName, std::int64_t offset) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    std::int64_t size = static_cast<std::int64_t>(in.tellg());
    if (size <= 0)
        return false;
    size = std::min<std::int64_t>(size, max_);
    // An offset at or past the end leaves nothing to load; the sample is kept.
    if (offset < 0 || offset >= size)
        return false;
    in.seekg(offset);
    if (!in)
        return false;
    const std::int64_t n = size - offset;
    in.read(reinterpret_cast<char*>(data_.get()), n);
    const std::int64_t got = in.gcount();
    if (got <= 0)
        return false;
    // A file that shrank under us yields what could be read.
    sampleLen_ = static_cast<std::int32_t>(got);
    std::memset(data_.get() + got, 0, static_cast<std::size_t>(max_ - got));
    return true;
}

bool SampleBuffer::SaveToFile(const std::string& fileName) const {
    if (sampleLen_ <= 0)
        return false;
    return vk350::safeWriteBytes(fileName, {data_.get(), static_cast<std::size_t>(sampleLen_)});
}

void SampleBuffer::LoadFromBuffer(const std::uint8_t* source, std::int32_t count) {
    count = std::clamp(count, 0, max_);
    if (source && count > 0)
        std::memmove(data_.get(), source, static_cast<std::size_t>(count));
    Redraw();
}

void SampleBuffer::Clear(bool redraw) {
    std::memset(data_.get(), 0, static_cast<std::size_t>(max_));
    if (redraw)
        Redraw();
}

void SampleBuffer::NormaliseSelection() {
    if (selectionLen_ >= 0)
        return;
    // In 64 bits: the properties take any value, and -INT32_MIN has no 32-bit form.
    const std::int64_t pos = static_cast<std::int64_t>(selectionPos_) + selectionLen_;
    const std::int64_t len = -static_cast<std::int64_t>(selectionLen_);
    selectionPos_ = static_cast<std::int32_t>(std::max<std::int64_t>(pos, 0));
    selectionLen_ = static_cast<std::int32_t>(std::min<std::int64_t>(len, INT32_MAX));
}

std::int64_t SampleBuffer::SelectionStart() const {
    return static_cast<std::int64_t>(viewOrigin_) + static_cast<std::int64_t>(selectionPos_) * zoom_;
}

void SampleBuffer::CopySelection() {
    NormaliseSelection();
    if (selectionLen_ == 0)
        return;
    const std::int64_t end = viewOrigin_ + (static_cast<std::int64_t>(selectionPos_) + selectionLen_) * zoom_;
    if (end > max_) {
        const std::int64_t len =
            FloorDiv(static_cast<std::int64_t>(max_) - viewOrigin_, zoom_) - selectionPos_;
        // A selection that starts at or past Max holds nothing to copy.
        if (len <= 0)
            return;
        selectionLen_ = static_cast<std::int32_t>(len);
    }
    std::int64_t s = SelectionStart();
    std::int64_t k = static_cast<std::int64_t>(selectionLen_) * zoom_;
    if (s < 0) {
        k += s;
        s = 0;
    }
    if (k <= 0)
        return;
    std::memcpy(clipboard_.get(), data_.get() + s, static_cast<std::size_t>(k));
    clipboardLen_ = static_cast<std::int32_t>(k);
}

void SampleBuffer::PasteAtLocator() {
    NormaliseSelection();
    if (selectionLen_ == 0)
        return;
    const std::int64_t p = static_cast<std::int64_t>(locatorPos_) * zoom_ + viewOrigin_;
    std::int64_t count = clipboardLen_;
    if (p + count >= max_)
        count = max_ - p;
    if (p >= 0 && count > 0)
        std::memcpy(data_.get() + p, clipboard_.get(), static_cast<std::size_t>(count));
    Redraw();
}

void SampleBuffer::CutSelection(bool shift) {
    NormaliseSelection();
    if (selectionLen_ == 0)
        return;
    const std::int64_t end = viewOrigin_ + (static_cast<std::int64_t>(selectionPos_) + selectionLen_) * zoom_;
    if (end >= sampleLen_) {
        // Stop one column before the end of the sample.
        const std::int64_t len =
            (static_cast<std::int64_t>(sampleLen_) - viewOrigin_) / zoom_ - selectionPos_ - 1;
        // Nothing left to cut: the user's selection stays as it was.
        if (len <= 0)
            return;
        selectionLen_ = static_cast<std::int32_t>(len);
    }
    const std::int64_t s = SelectionStart();
    const std::int64_t k = static_cast<std::int64_t>(selectionLen_) * zoom_;
    if (s < 0 || s + k > sampleLen_)
        return;
    std::uint8_t* data = data_.get();
    std::memcpy(clipboard_.get(), data + s, static_cast<std::size_t>(k));
    clipboardLen_ = static_cast<std::int32_t>(k);
    if (shift) {
        // The tail closes the gap and the end is padded, so the length stays.
        std::memmove(data + s, data + s + k, static_cast<std::size_t>(sampleLen_ - (s + k)));
        std::memset(data + (sampleLen_ - k), SilenceValue(), static_cast<std::size_t>(k));
    } else {
        std::memset(data + s, SilenceValue(), static_cast<std::size_t>(k));
    }
    Redraw();
}

void SampleBuffer::CropSelection() {
    NormaliseSelection();
    if (selectionLen_ > 0) {
        std::int64_t len = selectionLen_;
        const std::int64_t end = viewOrigin_ + (static_cast<std::int64_t>(selectionPos_) + len) * zoom_;
        if (end > sampleLen_)
            len = FloorDiv(static_cast<std::int64_t>(sampleLen_) - viewOrigin_, zoom_) - selectionPos_;
        const std::int64_t s = SelectionStart();
        // A selection wholly past the end of the sample crops nothing.
        if (len > 0 && s >= 0) {
            selectionLen_ = static_cast<std::int32_t>(len);
            const std::int64_t k = len * zoom_;
            std::uint8_t* data = data_.get();
            std::memmove(data, data + s, static_cast<std::size_t>(k));
            if (k < sampleLen_)
                std::memset(data + k, SilenceValue(), static_cast<std::size_t>(sampleLen_ - k));
            selectionPos_ = 0;
            viewOrigin_ = 0;
            sampleLen_ = static_cast<std::int32_t>(k);
        }
    }
    Redraw();
}

void SampleBuffer::MuteSelection() {
    NormaliseSelection();
    if (selectionLen_ <= 0)
        return;
    std::int64_t s = SelectionStart();
    const std::int64_t end =
        std::min<std::int64_t>(s + static_cast<std::int64_t>(selectionLen_) * zoom_, max_);
    s = std::max<std::int64_t>(s, 0);
    if (end > s)
        std::memset(data_.get() + s, SilenceValue(), static_cast<std::size_t>(end - s));
    Redraw();
}

void SampleBuffer::SaveUndo() {
    std::memcpy(undo_.get(), data_.get(), static_cast<std::size_t>(sampleLen_));
}

// The exchange goes through the clipboard, which afterwards holds the sample as it was.
void SampleBuffer::Undo() {
    const auto n = static_cast<std::size_t>(sampleLen_);
    std::memcpy(clipboard_.get(), data_.get(), n);
    std::memcpy(data_.get(), undo_.get(), n);
    std::memcpy(undo_.get(), clipboard_.get(), n);
    Redraw();
}

bool SampleBuffer::UndoStep() {
    return Step(true);
}

bool SampleBuffer::RedoStep() {
    return Step(false);
}

bool SampleBuffer::Step(bool back) {
    std::int32_t length = sampleLen_;
    if (!(back ? history_.Undo(data_.get(), length) : history_.Redo(data_.get(), length)))
        return false;
    sampleLen_ = std::min(length, max_);
    Redraw();
    return true;
}

SampleBuffer::Range SampleBuffer::EditRange(bool wholeSample) {
    NormaliseSelection();
    if (selectionLen_ == 0 || wholeSample)
        return {0, sampleLen_};
    const std::int64_t s = SelectionStart();
    Range r;
    r.begin = std::clamp<std::int64_t>(s, 0, sampleLen_);
    r.end =
        std::clamp<std::int64_t>(s + static_cast<std::int64_t>(selectionLen_) * zoom_, r.begin, sampleLen_);
    return r;
}

void SampleBuffer::ConvertSign(bool wholeSample, bool redraw) {
    const Range r = EditRange(wholeSample);
    std::uint8_t* data = data_.get();
    vk350::convertSign({data + r.begin, static_cast<std::size_t>(r.end - r.begin)});
    if (redraw)
        Redraw();
}

void SampleBuffer::Reverse() {
    std::reverse(data_.get(), data_.get() + sampleLen_);
    Redraw();
}

void SampleBuffer::AddOffset(const std::uint8_t* source, std::int32_t delta) {
    if (!source)
        return;
    const Range r = EditRange(false);
    std::uint8_t* data = data_.get();
    for (std::int64_t i = r.begin; i < r.end; ++i)
        data[i] =
            static_cast<std::uint8_t>(std::clamp<std::int64_t>(std::int64_t{source[i]} + delta, 0, 255));
    Redraw();
}

std::uint8_t SampleBuffer::GetMaxValue(const std::uint8_t* source) const {
    if (!source || sampleLen_ <= 0)
        return 0;
    return *std::max_element(source, source + sampleLen_);
}

std::uint8_t SampleBuffer::GetMinValue(const std::uint8_t* source) const {
    if (!source || sampleLen_ <= 0)
        return 255;
    return *std::min_element(source, source + sampleLen_);
}

void SampleBuffer::FixZero(bool redraw) {
    std::uint8_t* data = data_.get();
    std::replace(data, data + sampleLen_, std::uint8_t{0}, std::uint8_t{128});
    if (redraw)
        Redraw();
}

void SampleBuffer::MapThrough(const std::int32_t* table) {
    std::uint8_t* data = data_.get();
    for (std::int32_t i = 0; i < sampleLen_; ++i)
        data[i] = static_cast<std::uint8_t>(table[data[i]] & 0xFF);
}

void SampleBuffer::LinearToMuLaw(bool redraw) {
    MapThrough(vk350::MuLawTables::Instance().CompressTable.data());
    if (redraw)
        Redraw();
}

void SampleBuffer::MuLawToLinear(bool redraw) {
    MapThrough(vk350::MuLawTables::Instance().ExpandTable.data());
    if (redraw)
        Redraw();
}

} // namespace vk350
