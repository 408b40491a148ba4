#include "sample_document.h"

#include <algorithm>

namespace vk350 {

namespace {

// Every hold of every document, for the commands of other windows that would reach one.
std::vector<std::string>& allHolds() {
    static std::vector<std::string> holds;
    return holds;
}

} // namespace

SampleDocument::SampleDocument() {
    marks_.push_back({buffer_.History().CurrentId(), {}, buffer_.History().CurrentId()});
}

SampleDocument::~SampleDocument() = default;

SampleDocument::Mark& SampleDocument::CurrentMark() {
    const std::uint64_t now = buffer_.History().CurrentId();
    auto it = std::find_if(marks_.rbegin(), marks_.rend(), [now](const Mark& m) { return m.state <= now; });
    return it != marks_.rend() ? *it : marks_.front();
}

const SampleDocument::Mark& SampleDocument::CurrentMark() const {
    return const_cast<SampleDocument*>(this)->CurrentMark();
}

bool SampleDocument::RecordStep(const std::string& step) {
    const std::uint64_t before = buffer_.History().CurrentId();
    const bool recorded = buffer_.RecordStep(step);
    // A record drops the steps that could have been redone, and with them their marks; the
    // first mark always stays, as the identity of the oldest state left.
    if (recorded)
        while (marks_.size() > 1 && marks_.back().state > before)
            marks_.pop_back();
    return recorded;
}

void SampleDocument::Changed() {
    if (OnChanged)
        OnChanged();
}

void SampleDocument::Assign(std::span<const std::uint8_t> bytes, std::int32_t length) {
    buffer_.SetSampleLen(length);
    buffer_.LoadFromBuffer(bytes.data(), std::int32_t(std::min<std::size_t>(bytes.size(), INT32_MAX)));
}

void SampleDocument::Change(const std::function<void(std::span<std::uint8_t>)>& change) {
    change({buffer_.GetData(), std::size_t(std::max(buffer_.GetSampleLen(), 0))});
}

bool SampleDocument::ReadRaw(const std::string& fileName) {
    return buffer_.LoadFromFile(fileName, true, 0);
}

void SampleDocument::Replace(std::span<const std::uint8_t> bytes, const std::string& step) {
    buffer_.Clear(false);
    Assign(bytes, std::int32_t(std::min<std::size_t>(bytes.size(), INT32_MAX)));
    RecordStep(step);
    Changed();
}

void SampleDocument::Loaded(const SampleIdentity& identity, bool complete) {
    RecordStep("Load");
    const std::uint64_t now = buffer_.History().CurrentId();
    Mark& current = CurrentMark();
    // A load that changed nothing renames the state it stands in.
    if (current.state == now)
        current = {now, identity, complete ? now : 0};
    else
        marks_.push_back({now, identity, complete ? now : 0});
    Changed();
}

void SampleDocument::Saved(const SampleIdentity& identity) {
    RecordStep("Edit");
    Mark& current = CurrentMark();
    current.identity = identity;
    current.savedState = buffer_.History().CurrentId();
    Changed();
}

void SampleDocument::MarkSaved() {
    Saved(Identity());
}

void SampleDocument::Rebase() {
    buffer_.History().Reset(buffer_.GetData(), buffer_.GetSampleLen());
    const SampleIdentity identity = Identity();
    const std::uint64_t now = buffer_.History().CurrentId();
    marks_.assign(1, {now, identity, now});
    Changed();
}

bool SampleDocument::Record(const std::string& step) {
    const bool recorded = RecordStep(step);
    Changed();
    return recorded;
}

bool SampleDocument::IsModified() const {
    return buffer_.History().CurrentId() != CurrentMark().savedState;
}

bool SampleDocument::Undo() {
    const bool stepped = buffer_.UndoStep();
    Changed();
    return stepped;
}

bool SampleDocument::Redo() {
    const bool stepped = buffer_.RedoStep();
    Changed();
    return stepped;
}

const SampleIdentity& SampleDocument::Identity() const {
    return CurrentMark().identity;
}

SampleDocument::Hold::Hold(SampleDocument& document, std::string reason) : document_(document) {
    allHolds().push_back(reason);
    document_.busyReasons_.push_back(std::move(reason));
    document_.Changed();
}

SampleDocument::Hold::~Hold() {
    auto& all = allHolds();
    const auto it = std::find(all.rbegin(), all.rend(), document_.busyReasons_.back());
    if (it != all.rend())
        all.erase(std::next(it).base());
    document_.busyReasons_.pop_back();
    document_.Changed();
}

std::string SampleDocument::AnyBusyReason() {
    return allHolds().empty() ? std::string() : allHolds().back();
}

} // namespace vk350
