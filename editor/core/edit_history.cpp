#include "edit_history.h"

#include <algorithm>
#include <cstring>

namespace vk350 {

EditHistory::EditHistory(std::int32_t capacity, int maxSteps, std::size_t maxBytes)
    : capacity_(std::max(capacity, 0)), maxSteps_(std::max(maxSteps, 1)), maxBytes_(maxBytes),
      base_(allocateZeroed(static_cast<std::size_t>(capacity_))) {}

void EditHistory::Reset(const std::uint8_t* data, std::int32_t length) {
    std::memcpy(base_.get(), data, static_cast<std::size_t>(capacity_));
    baseLength_ = length;
    steps_.clear();
    cursor_ = 0;
    bytesHeld_ = 0;
    firstId_ = nextId_++;
    savedId_ = firstId_;
}

bool EditHistory::Record(const std::string& name, const std::uint8_t* data, std::int32_t length) {
    const std::uint8_t* base = base_.get();
    const auto n = static_cast<std::size_t>(capacity_);
    std::size_t begin = 0;
    // Whole words first: a load or a crop compares half a megabyte.
    while (begin + 8 <= n && std::memcmp(base + begin, data + begin, 8) == 0)
        begin += 8;
    while (begin < n && base[begin] == data[begin])
        ++begin;
    if (begin == n && length == baseLength_)
        return false;
    std::size_t end = n;
    while (end >= begin + 8 && std::memcmp(base + end - 8, data + end - 8, 8) == 0)
        end -= 8;
    while (end > begin && base[end - 1] == data[end - 1])
        --end;

    DropRedoSteps();
    Step step;
    step.name = name;
    step.id = nextId_++;
    step.offset = static_cast<std::int32_t>(begin);
    step.oldLength = baseLength_;
    step.newLength = length;
    step.oldBytes.assign(base + begin, base + end);
    step.newBytes.assign(data + begin, data + end);
    std::memcpy(base_.get() + begin, data + begin, end - begin);
    baseLength_ = length;
    bytesHeld_ += step.Cost();
    steps_.push_back(std::move(step));
    cursor_ = steps_.size();
    Trim();
    return true;
}

void EditHistory::DropRedoSteps() {
    while (steps_.size() > cursor_) {
        bytesHeld_ -= steps_.back().Cost();
        steps_.pop_back();
    }
}

// The newest step always stays, however large, so that the last command can be taken back.
void EditHistory::Trim() {
    while (steps_.size() > 1 && (static_cast<int>(steps_.size()) > maxSteps_ || bytesHeld_ > maxBytes_)) {
        bytesHeld_ -= steps_.front().Cost();
        firstId_ = steps_.front().id;
        steps_.pop_front();
        --cursor_;
    }
}

std::string EditHistory::UndoName() const {
    return CanUndo() ? steps_[cursor_ - 1].name : std::string();
}

std::string EditHistory::RedoName() const {
    return CanRedo() ? steps_[cursor_].name : std::string();
}

bool EditHistory::Undo(std::uint8_t* data, std::int32_t& length) {
    Record("Edit", data, length);
    if (!CanUndo())
        return false;
    const Step& step = steps_[--cursor_];
    const std::size_t count = step.oldBytes.size();
    std::copy_n(step.oldBytes.begin(), count, data + step.offset);
    std::copy_n(step.oldBytes.begin(), count, base_.get() + step.offset);
    length = baseLength_ = step.oldLength;
    return true;
}

bool EditHistory::Redo(std::uint8_t* data, std::int32_t& length) {
    Record("Edit", data, length);
    if (!CanRedo())
        return false;
    const Step& step = steps_[cursor_++];
    const std::size_t count = step.newBytes.size();
    std::copy_n(step.newBytes.begin(), count, data + step.offset);
    std::copy_n(step.newBytes.begin(), count, base_.get() + step.offset);
    length = baseLength_ = step.newLength;
    return true;
}

std::uint64_t EditHistory::CurrentId() const {
    return cursor_ > 0 ? steps_[cursor_ - 1].id : firstId_;
}

void EditHistory::MarkSaved() {
    savedId_ = CurrentId();
}

bool EditHistory::IsModified() const {
    return CurrentId() != savedId_;
}

} // namespace vk350
