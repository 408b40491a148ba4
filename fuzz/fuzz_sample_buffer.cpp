// libFuzzer harness: the input is an editing script for the sample buffer, five bytes a step (an
// operation and a 32-bit value), run over a sample loaded from the input itself. No operation may
// read or write outside the buffers (the sanitizers watch), whatever the properties hold; the
// lengths stay within the buffers; undo twice and reverse twice give the sample back.
#include "fuzz_check.h"
#include "sample_buffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace vk350;
using vk350::fuzz::check;

namespace {

std::vector<uint8_t> sampleOf(const SampleBuffer& b) {
    const std::int32_t n = std::clamp(b.GetSampleLen(), 0, SampleBuffer::Capacity);
    return std::vector<uint8_t>(b.GetData(), b.GetData() + n);
}

// Values near the edges, where the arithmetic of an operation can go wrong.
std::int32_t valueOf(const uint8_t* p) {
    std::int32_t v = 0;
    std::memcpy(&v, p, sizeof v);
    switch (p[0] & 7) {
    case 0:
        return v;
    case 1:
        return v % 300;
    case 2:
        return v % (SampleBuffer::Capacity + 2);
    case 3:
        return SampleBuffer::Capacity - (v & 15);
    default:
        return v & 0xFFFF;
    }
}

void step(SampleBuffer& b, uint8_t op, std::int32_t v) {
    switch (op % 29) {
    case 0:
        b.SetMax(v);
        break;
    case 1:
        b.SetViewOrigin(v);
        break;
    case 2:
        b.SetZoom(v);
        break;
    case 3:
        b.SetLocatorPos(v);
        break;
    case 4:
        b.SetSelectionPos(v);
        break;
    case 5:
        b.SetSelectionLen(v);
        break;
    case 6:
        b.SetSpectrumCenter(v & 1);
        break;
    case 7:
        b.SetLocatorPosQuiet(v);
        break;
    case 8:
        b.SetSelectionPosQuiet(v);
        break;
    case 9:
        b.SetSelectionLenQuiet(v);
        break;
    case 10:
        b.SetSampleLen(v);
        break;
    case 11:
        b.SetSampleValue(uint8_t(v >> 24), v);
        break;
    case 12:
        b.GetSampleValue(v);
        break;
    case 13:
        b.CopySelection();
        break;
    case 14:
        b.PasteAtLocator();
        break;
    case 15:
        b.CutSelection(v & 1);
        break;
    case 16:
        b.CropSelection();
        break;
    case 17:
        b.MuteSelection();
        break;
    case 18:
        b.SaveUndo();
        break;
    case 19: {
        const std::vector<uint8_t> before = sampleOf(b);
        b.Undo();
        b.Undo();
        check(sampleOf(b) == before, "undo twice changed the sample");
        break;
    }
    case 20:
        b.ConvertSign(v & 1, false);
        break;
    case 21: {
        const std::vector<uint8_t> before = sampleOf(b);
        b.Reverse();
        b.Reverse();
        check(sampleOf(b) == before, "reverse twice changed the sample");
        break;
    }
    case 22:
        b.AddOffset(b.GetData(), v % 512);
        break;
    case 23:
        b.AddOffset(b.UndoData(), v % 512);
        break;
    case 24:
        b.GetMaxValue(b.GetData());
        b.GetMinValue(b.UndoData());
        break;
    case 25:
        b.FixZero(false);
        break;
    case 26:
        b.LinearToMuLaw(false);
        break;
    case 27:
        b.MuLawToLinear(false);
        break;
    case 28:
        b.NormaliseSelection();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One buffer for every run, as the editor keeps one: its allocations are the costly part, and
    // what a run leaves behind is a state the next may meet.
    static SampleBuffer buffer;
    int redraws = 0;
    buffer.OnRedraw = [&redraws] { ++redraws; };
    if (size < 2)
        return 0;
    // The first byte splits the input between the sample and the script.
    const size_t sampleBytes = std::min<size_t>(size - 1, size_t(data[0]) * 64);
    buffer.LoadFromBuffer(data + 1, std::int32_t(sampleBytes));
    buffer.SetSampleLen(std::int32_t(sampleBytes));
    for (size_t at = 1 + sampleBytes; at + 5 <= size; at += 5) {
        step(buffer, data[at], valueOf(data + at + 1));
        check(buffer.Max() >= 0 && buffer.Max() <= SampleBuffer::Capacity, "Max outside the buffer");
        check(buffer.GetSampleLen() >= 0 && buffer.GetSampleLen() <= SampleBuffer::Capacity,
              "SampleLen outside the buffer");
        check(buffer.ClipboardLen() >= 0 && buffer.ClipboardLen() <= SampleBuffer::Capacity,
              "clipboard length outside the buffer");
        check(buffer.Zoom() >= 1, "zoom below 1");
    }
    buffer.OnRedraw = nullptr;
    return 0;
}
