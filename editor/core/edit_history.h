#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "zeroed_bytes.h"

namespace vk350 {

// The undo and redo steps of one sample.
//
// The history keeps a copy of the sample as it stood at the last recorded step (the base copy),
// so callers only say when a step ends: Record compares the sample with that copy and keeps the
// one range of bytes that differs, before and after, with both lengths. A small edit therefore
// costs about twice the bytes it changed; a crop or a load costs the bytes it moved.
//
// Bounded by a step count and by the bytes the steps hold, whichever is reached first; the
// oldest steps go first. Window thread only.
class EditHistory {
public:
    static constexpr int DefaultMaxSteps = 64;
    static constexpr std::size_t DefaultMaxBytes = std::size_t{64} << 20;

    // capacity: the size of the sample buffers that Record, Undo and Redo are given.
    explicit EditHistory(std::int32_t capacity, int maxSteps = DefaultMaxSteps,
                         std::size_t maxBytes = DefaultMaxBytes);
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // Makes the given sample the base: no steps, and it counts as saved. The base starts as a
    // zeroed buffer of length 0.
    void Reset(const std::uint8_t* data, std::int32_t length);

    // Records what changed in data (capacity bytes) and its length since the last record, undo
    // or redo as one step named name; the steps that could be redone are dropped. Returns false,
    // recording nothing, when nothing changed.
    bool Record(const std::string& name, const std::uint8_t* data, std::int32_t length);

    bool CanUndo() const { return cursor_ > 0; }
    bool CanRedo() const { return cursor_ < steps_.size(); }
    // The name of the step that Undo or Redo would take back or do again; empty when none.
    std::string UndoName() const;
    std::string RedoName() const;

    // Takes the last step back in data and length. Changes not yet recorded are recorded first
    // (as "Edit"), so they are what is taken back. Returns false when there is nothing to undo.
    bool Undo(std::uint8_t* data, std::int32_t& length);
    // Does the step taken back last again. Changes not yet recorded are recorded first, which
    // leaves nothing to redo. Returns false when there is nothing to redo.
    bool Redo(std::uint8_t* data, std::int32_t& length);

    // The sample as it stands at the last record, undo or redo is the one on disk.
    void MarkSaved();
    // Whether the sample, as of the last record, undo or redo, differs from the saved one by a
    // step. A saved state whose step was dropped can no longer be reached.
    bool IsModified() const;

    // Names the state the sample stands in: every record, undo, redo and reset gives another
    // state its own number, and ids only grow along the steps.
    std::uint64_t CurrentId() const;

    int StepCount() const { return static_cast<int>(steps_.size()); }
    // Bytes held by the steps, the base copy not counted.
    std::size_t BytesHeld() const { return bytesHeld_; }

private:
    struct Step {
        std::string name;
        std::uint64_t id = 0;
        std::int32_t offset = 0;
        std::int32_t oldLength = 0;
        std::int32_t newLength = 0;
        std::vector<std::uint8_t> oldBytes;
        std::vector<std::uint8_t> newBytes;
        std::size_t Cost() const { return oldBytes.size() + newBytes.size() + sizeof(Step) + name.size(); }
    };

    void DropRedoSteps();
    void Trim();

    std::int32_t capacity_;
    int maxSteps_;
    std::size_t maxBytes_;
    ZeroedBytes base_;
    std::int32_t baseLength_ = 0;
    std::deque<Step> steps_;
    // Steps [0, cursor_) are applied; the rest can be redone.
    std::size_t cursor_ = 0;
    std::size_t bytesHeld_ = 0;
    std::uint64_t nextId_ = 1;
    // Id of the state before steps_.front(): 0, or the last step dropped.
    std::uint64_t firstId_ = 0;
    std::uint64_t savedId_ = 0;
};

} // namespace vk350
