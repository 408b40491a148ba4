#include "sample_buffer.h"

#include "mulaw_tables.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

std::unique_ptr<std::uint8_t[]> ZeroedBuffer() {
    return std::unique_ptr<std::uint8_t[]>(new std::uint8_t[SampleBuffer::Capacity]());
}

// Rounds toward minus infinity (d > 0): a column count that ends a selection before a limit must
// round down even when the limit lies before the origin.
std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
    const std::int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

} // namespace

SampleBuffer::SampleBuffer() : m_data(ZeroedBuffer()), m_clipboard(ZeroedBuffer()), m_undo(ZeroedBuffer()) {}

void SampleBuffer::Redraw() {
    if (OnRedraw)
        OnRedraw();
}

// Max never grows past the buffers, which are never resized.
void SampleBuffer::SetMax(std::int32_t value) {
    value = std::clamp(value, 0, Capacity);
    Assign(m_max, value);
}

void SampleBuffer::SetViewOrigin(std::int32_t value) {
    Assign(m_viewOrigin, value);
}

// A zoom below 1 has no meaning and would divide by zero.
void SampleBuffer::SetZoom(std::int32_t value) {
    value = std::max(value, 1);
    Assign(m_zoom, value);
}

void SampleBuffer::SetLocatorPos(std::int32_t value) {
    Assign(m_locatorPos, value);
}

void SampleBuffer::SetSelectionPos(std::int32_t value) {
    Assign(m_selectionPos, value);
}

void SampleBuffer::SetSelectionLen(std::int32_t value) {
    Assign(m_selectionLen, value);
}

void SampleBuffer::SetSpectrumCenter(bool value) {
    Assign(m_spectrumCenter, value);
}

void SampleBuffer::SetSampleLen(std::int32_t n) {
    m_sampleLen = std::clamp(n, 0, m_max);
}

std::uint8_t SampleBuffer::GetSampleValue(std::int32_t index) const {
    if (index < 0 || index >= Capacity)
        return 0;
    return m_data[index];
}

void SampleBuffer::SetSampleValue(std::uint8_t value, std::int32_t index) {
    if (index < 0 || index >= m_max || m_data[index] == value)
        return;
    m_data[index] = value;
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
    size = std::min<std::int64_t>(size, m_max);
    // An offset at or past the end leaves nothing to load; the sample is kept.
    if (offset < 0 || offset >= size)
        return false;
    in.seekg(offset);
    if (!in)
        return false;
    const std::int64_t n = size - offset;
    in.read(reinterpret_cast<char*>(m_data.get()), n);
    const std::int64_t got = in.gcount();
    if (got <= 0)
        return false;
    // A file that shrank under us yields what could be read.
    m_sampleLen = static_cast<std::int32_t>(got);
    std::memset(m_data.get() + got, 0, static_cast<std::size_t>(m_max - got));
    return true;
}

bool SampleBuffer::SaveToFile(const std::string& fileName) const {
    if (m_sampleLen <= 0)
        return false;
    // Written beside the target and renamed over it, so a failed write keeps the old file.
    const std::string partName = fileName + ".part";
    {
        std::ofstream out(partName, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char*>(m_data.get()), m_sampleLen);
        out.close();
        if (!out) {
            std::remove(partName.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(partName, fileName, ec);
    if (ec) {
        std::remove(partName.c_str());
        return false;
    }
    return true;
}

void SampleBuffer::LoadFromBuffer(const std::uint8_t* source, std::int32_t count) {
    count = std::clamp(count, 0, m_max);
    if (source && count > 0)
        std::memmove(m_data.get(), source, static_cast<std::size_t>(count));
    Redraw();
}

void SampleBuffer::Clear(bool redraw) {
    std::memset(m_data.get(), 0, static_cast<std::size_t>(m_max));
    if (redraw)
        Redraw();
}

void SampleBuffer::NormaliseSelection() {
    if (m_selectionLen >= 0)
        return;
    // In 64 bits: the properties take any value, and -INT32_MIN has no 32-bit form.
    const std::int64_t pos = static_cast<std::int64_t>(m_selectionPos) + m_selectionLen;
    const std::int64_t len = -static_cast<std::int64_t>(m_selectionLen);
    m_selectionPos = static_cast<std::int32_t>(std::max<std::int64_t>(pos, 0));
    m_selectionLen = static_cast<std::int32_t>(std::min<std::int64_t>(len, INT32_MAX));
}

std::int64_t SampleBuffer::SelectionStart() const {
    return static_cast<std::int64_t>(m_viewOrigin) + static_cast<std::int64_t>(m_selectionPos) * m_zoom;
}

void SampleBuffer::CopySelection() {
    NormaliseSelection();
    if (m_selectionLen == 0)
        return;
    const std::int64_t end =
        m_viewOrigin + (static_cast<std::int64_t>(m_selectionPos) + m_selectionLen) * m_zoom;
    if (end > m_max) {
        const std::int64_t len =
            FloorDiv(static_cast<std::int64_t>(m_max) - m_viewOrigin, m_zoom) - m_selectionPos;
        // A selection that starts at or past Max holds nothing to copy.
        if (len <= 0)
            return;
        m_selectionLen = static_cast<std::int32_t>(len);
    }
    std::int64_t s = SelectionStart();
    std::int64_t k = static_cast<std::int64_t>(m_selectionLen) * m_zoom;
    if (s < 0) {
        k += s;
        s = 0;
    }
    if (k <= 0)
        return;
    std::memcpy(m_clipboard.get(), m_data.get() + s, static_cast<std::size_t>(k));
    m_clipboardLen = static_cast<std::int32_t>(k);
}

void SampleBuffer::PasteAtLocator() {
    NormaliseSelection();
    if (m_selectionLen == 0)
        return;
    const std::int64_t p = static_cast<std::int64_t>(m_locatorPos) * m_zoom + m_viewOrigin;
    std::int64_t count = m_clipboardLen;
    if (p + count >= m_max)
        count = m_max - p;
    if (p >= 0 && count > 0)
        std::memcpy(m_data.get() + p, m_clipboard.get(), static_cast<std::size_t>(count));
    Redraw();
}

void SampleBuffer::CutSelection(bool shift) {
    NormaliseSelection();
    if (m_selectionLen == 0)
        return;
    const std::int64_t end =
        m_viewOrigin + (static_cast<std::int64_t>(m_selectionPos) + m_selectionLen) * m_zoom;
    if (end >= m_sampleLen) {
        // Stop one column before the end of the sample.
        const std::int64_t len =
            (static_cast<std::int64_t>(m_sampleLen) - m_viewOrigin) / m_zoom - m_selectionPos - 1;
        // Nothing left to cut: the user's selection stays as it was.
        if (len <= 0)
            return;
        m_selectionLen = static_cast<std::int32_t>(len);
    }
    const std::int64_t s = SelectionStart();
    const std::int64_t k = static_cast<std::int64_t>(m_selectionLen) * m_zoom;
    if (s < 0 || s + k > m_sampleLen)
        return;
    std::uint8_t* data = m_data.get();
    std::memcpy(m_clipboard.get(), data + s, static_cast<std::size_t>(k));
    m_clipboardLen = static_cast<std::int32_t>(k);
    if (shift) {
        // The tail closes the gap and the end is padded, so the length stays.
        std::memmove(data + s, data + s + k, static_cast<std::size_t>(m_sampleLen - (s + k)));
        std::memset(data + (m_sampleLen - k), SilenceValue(), static_cast<std::size_t>(k));
    } else {
        std::memset(data + s, SilenceValue(), static_cast<std::size_t>(k));
    }
    Redraw();
}

void SampleBuffer::CropSelection() {
    NormaliseSelection();
    if (m_selectionLen > 0) {
        std::int64_t len = m_selectionLen;
        const std::int64_t end = m_viewOrigin + (static_cast<std::int64_t>(m_selectionPos) + len) * m_zoom;
        if (end > m_sampleLen)
            len = FloorDiv(static_cast<std::int64_t>(m_sampleLen) - m_viewOrigin, m_zoom) - m_selectionPos;
        const std::int64_t s = SelectionStart();
        // A selection wholly past the end of the sample crops nothing.
        if (len > 0 && s >= 0) {
            m_selectionLen = static_cast<std::int32_t>(len);
            const std::int64_t k = len * m_zoom;
            std::uint8_t* data = m_data.get();
            std::memmove(data, data + s, static_cast<std::size_t>(k));
            if (k < m_sampleLen)
                std::memset(data + k, SilenceValue(), static_cast<std::size_t>(m_sampleLen - k));
            m_selectionPos = 0;
            m_viewOrigin = 0;
            m_sampleLen = static_cast<std::int32_t>(k);
        }
    }
    Redraw();
}

void SampleBuffer::MuteSelection() {
    NormaliseSelection();
    if (m_selectionLen <= 0)
        return;
    std::int64_t s = SelectionStart();
    const std::int64_t end =
        std::min<std::int64_t>(s + static_cast<std::int64_t>(m_selectionLen) * m_zoom, m_max);
    s = std::max<std::int64_t>(s, 0);
    if (end > s)
        std::memset(m_data.get() + s, SilenceValue(), static_cast<std::size_t>(end - s));
    Redraw();
}

void SampleBuffer::SaveUndo() {
    std::memcpy(m_undo.get(), m_data.get(), static_cast<std::size_t>(m_sampleLen));
}

// The exchange goes through the clipboard, which afterwards holds the sample as it was.
void SampleBuffer::Undo() {
    const auto n = static_cast<std::size_t>(m_sampleLen);
    std::memcpy(m_clipboard.get(), m_data.get(), n);
    std::memcpy(m_data.get(), m_undo.get(), n);
    std::memcpy(m_undo.get(), m_clipboard.get(), n);
    Redraw();
}

SampleBuffer::Range SampleBuffer::EditRange(bool wholeSample) {
    NormaliseSelection();
    if (m_selectionLen == 0 || wholeSample)
        return {0, m_sampleLen};
    const std::int64_t s = SelectionStart();
    Range r;
    r.begin = std::clamp<std::int64_t>(s, 0, m_sampleLen);
    r.end = std::clamp<std::int64_t>(s + static_cast<std::int64_t>(m_selectionLen) * m_zoom, r.begin,
                                     m_sampleLen);
    return r;
}

void SampleBuffer::ConvertSign(bool wholeSample, bool redraw) {
    const Range r = EditRange(wholeSample);
    std::uint8_t* data = m_data.get();
    for (std::int64_t i = r.begin; i < r.end; ++i) {
        const std::uint8_t b = data[i];
        if (b >= 1 && b <= 127)
            data[i] = static_cast<std::uint8_t>(128 - b);
    }
    if (redraw)
        Redraw();
}

void SampleBuffer::Reverse() {
    std::reverse(m_data.get(), m_data.get() + m_sampleLen);
    Redraw();
}

void SampleBuffer::AddOffset(const std::uint8_t* source, std::int32_t delta) {
    if (!source)
        return;
    const Range r = EditRange(false);
    std::uint8_t* data = m_data.get();
    for (std::int64_t i = r.begin; i < r.end; ++i)
        data[i] =
            static_cast<std::uint8_t>(std::clamp<std::int64_t>(std::int64_t{source[i]} + delta, 0, 255));
    Redraw();
}

std::uint8_t SampleBuffer::GetMaxValue(const std::uint8_t* source) const {
    if (!source || m_sampleLen <= 0)
        return 0;
    return *std::max_element(source, source + m_sampleLen);
}

std::uint8_t SampleBuffer::GetMinValue(const std::uint8_t* source) const {
    if (!source || m_sampleLen <= 0)
        return 255;
    return *std::min_element(source, source + m_sampleLen);
}

void SampleBuffer::FixZero(bool redraw) {
    std::uint8_t* data = m_data.get();
    std::replace(data, data + m_sampleLen, std::uint8_t{0}, std::uint8_t{128});
    if (redraw)
        Redraw();
}

void SampleBuffer::MapThrough(const std::int32_t* table) {
    std::uint8_t* data = m_data.get();
    for (std::int32_t i = 0; i < m_sampleLen; ++i)
        data[i] = static_cast<std::uint8_t>(table[data[i]] & 0xFF);
}

void SampleBuffer::LinearToMuLaw(bool redraw) {
    MapThrough(MuLawTables::Instance().CompressTable.data());
    if (redraw)
        Redraw();
}

void SampleBuffer::MuLawToLinear(bool redraw) {
    MapThrough(MuLawTables::Instance().ExpandTable.data());
    if (redraw)
        Redraw();
}
