#pragma once

#include "edit_history.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "zeroed_bytes.h"

namespace vk350 {

// One 8-bit sample being edited, with its clipboard and undo copy.
//
// The bytes are offset binary (128 = zero line) or the machine's sign-magnitude form; the
// buffer records neither which form it holds nor whether the bytes are µ-law coded. The
// locator and the selection are kept in view columns: column c stands for sample index
// ViewOrigin + c * Zoom.
//
// All three buffers are allocated once, at full capacity, and start as zeros; no operation
// allocates afterwards. No operation reads or writes outside the buffers, whatever the
// properties hold. Window thread only.
class SampleBuffer {
public:
    static constexpr std::int32_t Capacity = 524288;

    SampleBuffer();
    SampleBuffer(const SampleBuffer&) = delete;
    SampleBuffer& operator=(const SampleBuffer&) = delete;

    // Called after every change that needs the view redrawn; unassigned means no view.
    std::function<void()> OnRedraw;

    // Properties: a setter stores and redraws only when the value changes.
    std::int32_t Max() const { return max_; }
    void SetMax(std::int32_t value);
    std::int32_t ViewOrigin() const { return viewOrigin_; }
    void SetViewOrigin(std::int32_t value);
    std::int32_t Zoom() const { return zoom_; }
    void SetZoom(std::int32_t value);
    std::int32_t LocatorPos() const { return locatorPos_; }
    void SetLocatorPos(std::int32_t value);
    std::int32_t SelectionPos() const { return selectionPos_; }
    void SetSelectionPos(std::int32_t value);
    std::int32_t SelectionLen() const { return selectionLen_; }
    void SetSelectionLen(std::int32_t value);
    bool SpectrumCenter() const { return spectrumCenter_; }
    void SetSpectrumCenter(bool value);

    // Store without a redraw, for a caller that redraws later itself (the mouse handling).
    void SetLocatorPosQuiet(std::int32_t value) { locatorPos_ = value; }
    void SetSelectionPosQuiet(std::int32_t value) { selectionPos_ = value; }
    void SetSelectionLenQuiet(std::int32_t value) { selectionLen_ = value; }

    // Fill value of cut, crop and mute.
    std::uint8_t SilenceValue() const { return spectrumCenter_ ? 128 : 0; }

    std::int32_t GetSampleLen() const { return sampleLen_; }
    // Limited to 0 .. Max; no redraw.
    void SetSampleLen(std::int32_t n);
    // The sample buffer itself (Capacity bytes); callers read and write it directly.
    std::uint8_t* GetData() { return data_.get(); }
    const std::uint8_t* GetData() const { return data_.get(); }
    const std::uint8_t* Clipboard() const { return clipboard_.get(); }
    std::int32_t ClipboardLen() const { return clipboardLen_; }
    const std::uint8_t* UndoData() const { return undo_.get(); }

    // Indexes outside the buffer read as 0 and are not written.
    std::uint8_t GetSampleValue(std::int32_t index) const;
    void SetSampleValue(std::uint8_t value, std::int32_t index);

    // Raw read of the file from byte `offset` on, at most Max bytes of file; the rest of the
    // buffer up to Max is zeroed. Returns false, changing nothing, when the file cannot be
    // opened or read, or holds no bytes from `offset` on; redraws when asked in either case.
    bool LoadFromFile(const std::string& fileName, bool redraw, std::int64_t offset);
    // Raw write of the first SampleLen bytes through the safe writer: a read-only target is
    // refused, and the old file is replaced only once the new one is complete. With SampleLen 0
    // no file is written and false is returned.
    bool SaveToFile(const std::string& fileName) const;
    // Copies count bytes to the start of the buffer and redraws; SampleLen is left to the caller.
    void LoadFromBuffer(const std::uint8_t* source, std::int32_t count);
    // Zeroes the first Max bytes; SampleLen is not changed.
    void Clear(bool redraw);

    void CopySelection();
    void PasteAtLocator();
    void CutSelection(bool shift);
    void CropSelection();
    void MuteSelection();
    void SaveUndo();
    void Undo();
    void ConvertSign(bool wholeSample, bool redraw);
    void Reverse();
    // source is indexed like the sample and may be the sample buffer itself.
    void AddOffset(const std::uint8_t* source, std::int32_t delta);
    std::uint8_t GetMaxValue(const std::uint8_t* source) const;
    std::uint8_t GetMinValue(const std::uint8_t* source) const;
    void FixZero(bool redraw);
    void LinearToMuLaw(bool redraw);
    void MuLawToLinear(bool redraw);

    // The undo and redo steps, apart from the undo copy above that the transfers use. A command
    // that changed the bytes or the length ends with RecordStep; the step holds what changed.
    EditHistory& History() { return history_; }
    const EditHistory& History() const { return history_; }
    bool RecordStep(const std::string& name) { return history_.Record(name, data_.get(), sampleLen_); }
    // Take back or do again one step and redraw; false, with no redraw, when there is none.
    bool UndoStep();
    bool RedoStep();

    // Turns a selection dragged to the left into the equivalent one to the right and stores it.
    void NormaliseSelection();

private:
    struct Range {
        std::int64_t begin = 0;
        std::int64_t end = 0;
    };

    void Redraw();
    // Stores a property value and redraws, only when it changes.
    template <class T> void Assign(T& field, T value) {
        if (field == value)
            return;
        field = value;
        Redraw();
    }
    // The read of LoadFromFile, without its redraw.
    bool ReadFile(const std::string& fileName, std::int64_t offset);
    // Sample range of ConvertSign and AddOffset: the selection, or the whole sample.
    Range EditRange(bool wholeSample);
    // Selection start in samples.
    std::int64_t SelectionStart() const;
    void MapThrough(const std::int32_t* table);
    // Undo (back) or redo one step of the history.
    bool Step(bool back);

    ZeroedBytes data_;
    ZeroedBytes clipboard_;
    ZeroedBytes undo_;
    EditHistory history_{Capacity};
    std::int32_t max_ = Capacity;
    std::int32_t sampleLen_ = 0;
    std::int32_t clipboardLen_ = 0;
    std::int32_t viewOrigin_ = 0;
    std::int32_t zoom_ = 1;
    std::int32_t locatorPos_ = 0;
    std::int32_t selectionPos_ = 0;
    std::int32_t selectionLen_ = 0;
    bool spectrumCenter_ = false;
};

} // namespace vk350
