#pragma once

#include "sample_buffer.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vk350 {

// What an edited sample was read from or saved to.
enum class SampleKind { New, Raw, Wave, BankSlot };

struct SampleIdentity {
    std::string path; // the file's full name; empty for a new sample or a bank slot's
    SampleKind kind = SampleKind::New;
    std::string name; // what the window shows: the file name without its folder, or the slot's name
    bool operator==(const SampleIdentity&) const = default;
};

// The one owner of an edited sample: its bytes and length (with the clipboard and the view's
// positions, in the sample buffer), its edit history, what file it is (path and kind), whether it
// is saved, and whether a long job holds it (busy).
//
// Undo and redo take the file identity along: undoing a load gives back the sample that was
// there before under its own name and kind, with its own saved mark. Windows and views observe
// the document through OnChanged and keep no copy of this state. Window thread only.
class SampleDocument {
public:
    SampleDocument();
    SampleDocument(const SampleDocument&) = delete;
    SampleDocument& operator=(const SampleDocument&) = delete;
    ~SampleDocument();

    // Told after every change of the identity, the saved mark, the history or the busy state.
    std::function<void()> OnChanged;

    SampleBuffer& Buffer() { return buffer_; }
    const SampleBuffer& Buffer() const { return buffer_; }
    std::int32_t Length() const { return buffer_.GetSampleLen(); }
    std::span<const std::uint8_t> Bytes() const {
        return {buffer_.GetData(), std::size_t(std::max(buffer_.GetSampleLen(), 0))};
    }

    const SampleIdentity& Identity() const;

    // Writes bytes from the sample's start and sets its length (both at most Max), without a
    // step: the command that does it records one.
    void Assign(std::span<const std::uint8_t> bytes, std::int32_t length);
    // Hands the sample's bytes to change to change, in place; no step.
    void Change(const std::function<void(std::span<std::uint8_t>)>& change);
    // Reads a raw file from its start, at most Max bytes; false, changing nothing, when it cannot.
    bool ReadRaw(const std::string& fileName);
    // Writes the sample's bytes as a raw file through the safe writer.
    bool WriteRaw(const std::string& fileName) const { return buffer_.SaveToFile(fileName); }

    // Replaces the whole sample with bytes (at most Max of them) and records it as one step named
    // step. With identity the sample is that file's (or slot's) from now on; complete says the
    // bytes are the whole file, which leaves nothing unsaved.
    void Replace(std::span<const std::uint8_t> bytes, const std::string& step);
    void Loaded(const SampleIdentity& identity, bool complete);
    // The sample as it stands is the file identity names; nothing is unsaved.
    void Saved(const SampleIdentity& identity);
    // Ends a command that may have changed the bytes or the length; false when nothing changed.
    bool Record(const std::string& step);
    bool IsModified() const;
    // The sample as it stands is what its file holds, under the identity it has.
    void MarkSaved();
    // Makes the sample as it stands the start of its history: no steps, nothing unsaved.
    void Rebase();
    bool Undo();
    bool Redo();

    // A long job (a conversion, a transfer) holds the document while it lasts; commands that
    // would touch the sample meanwhile are refused. Holds nest.
    class Hold {
    public:
        Hold(SampleDocument& document, std::string reason);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        SampleDocument& document_;
    };
    bool Busy() const { return !busyReasons_.empty(); }
    // What holds the document ("converting kick.wav"); empty when nothing does.
    std::string BusyReason() const { return Busy() ? busyReasons_.back() : std::string(); }
    // What holds any document of the program now; empty when none is held.
    static std::string AnyBusyReason();

private:
    // The identity from a state of the history on, until the next mark; savedState is the
    // state that is on disk under that identity (0: none).
    struct Mark {
        std::uint64_t state = 0;
        SampleIdentity identity;
        std::uint64_t savedState = 0;
    };
    Mark& CurrentMark();
    const Mark& CurrentMark() const;
    // Records a step and drops the marks of the states that it made unreachable.
    bool RecordStep(const std::string& step);
    void Changed();

    SampleBuffer buffer_;
    // Ascending by state; the one in force is the last whose state is not after the current one.
    std::vector<Mark> marks_;
    std::vector<std::string> busyReasons_;
};

} // namespace vk350
