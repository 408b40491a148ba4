#include "edit_history.h"
#include "sample_buffer.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace vk350;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The whole buffer and the length: bytes past the length come back into view when the size
// grows, so they must come back too.
struct State {
    Bytes bytes;
    std::int32_t length;
    bool operator==(const State&) const = default;
};

State Snapshot(const SampleBuffer& b) {
    return {Bytes(b.GetData(), b.GetData() + SampleBuffer::Capacity), b.GetSampleLen()};
}

// One of the buffer's editing commands, on a random selection, locator and zoom.
void RandomEdit(SampleBuffer& b, std::mt19937& rng) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    b.SetZoom(pick(1, 4));
    b.SetViewOrigin(pick(0, 2000));
    b.SetSelectionPos(pick(-20, 3000));
    b.SetSelectionLen(pick(-500, 3000));
    b.SetLocatorPos(pick(0, 4000));
    switch (pick(0, 9)) {
    case 0:
        b.CutSelection(true);
        break;
    case 1:
        b.CopySelection();
        b.PasteAtLocator();
        break;
    case 2:
        b.CropSelection();
        break;
    case 3:
        b.MuteSelection();
        break;
    case 4:
        b.Reverse();
        break;
    case 5:
        b.ConvertSign(pick(0, 1) == 1, false);
        break;
    case 6:
        b.LinearToMuLaw(false);
        break;
    case 7:
        b.AddOffset(b.GetData(), pick(-40, 40));
        break;
    case 8:
        b.SetSampleLen(pick(0, 20000));
        break;
    default:
        b.SetSampleValue(static_cast<std::uint8_t>(pick(0, 255)), pick(0, 20000));
        break;
    }
}

} // namespace

// Against a model of every state: each undo lands on the state before that step, undo all on the
// start, redo all on the end, for many seeds.
TEST(EditHistory, UndoAndRedoWalkBackAndForthThroughEveryState) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        SampleBuffer b;
        for (std::int32_t i = 0; i < 20000; ++i)
            b.GetData()[i] = static_cast<std::uint8_t>(rng());
        b.SetSampleLen(16000);
        b.History().Reset(b.GetData(), b.GetSampleLen());
        std::vector<State> states{Snapshot(b)};
        for (int step = 0; step < 40; ++step) {
            RandomEdit(b, rng);
            if (b.RecordStep("Edit " + std::to_string(step)))
                states.push_back(Snapshot(b));
            else
                EXPECT_EQ(Snapshot(b), states.back());
        }
        ASSERT_EQ(b.History().StepCount() + 1, static_cast<int>(states.size()));
        for (size_t i = states.size() - 1; i > 0; --i) {
            ASSERT_TRUE(b.UndoStep());
            ASSERT_EQ(Snapshot(b), states[i - 1]) << "after undoing step " << i;
        }
        EXPECT_FALSE(b.UndoStep());
        for (size_t i = 1; i < states.size(); ++i)
            ASSERT_TRUE(b.RedoStep());
        EXPECT_FALSE(b.RedoStep());
        EXPECT_EQ(Snapshot(b), states.back());
    }
}

// Names, what an unrecorded change does to undo and redo, and what a new step does to redo.
TEST(EditHistory, NamesStepsAndDropsRedoOnANewChange) {
    const std::int32_t n = 64;
    EditHistory h(n);
    Bytes data(n, 0);
    std::int32_t len = 10;
    EXPECT_FALSE(h.Record("Nothing", data.data(), 0));
    EXPECT_EQ(h.UndoName(), "");
    EXPECT_TRUE(h.Record("Size", data.data(), len));
    data[5] = 9;
    EXPECT_TRUE(h.Record("Crop", data.data(), len));
    EXPECT_EQ(h.UndoName(), "Crop");
    ASSERT_TRUE(h.Undo(data.data(), len));
    EXPECT_EQ(h.UndoName(), "Size");
    EXPECT_EQ(h.RedoName(), "Crop");
    EXPECT_EQ(data[5], 0);
    // A change made after the undo and never recorded is taken back by the next undo, and leaves
    // nothing to redo.
    data[7] = 3;
    EXPECT_FALSE(h.Redo(data.data(), len));
    EXPECT_EQ(data[7], 3);
    EXPECT_EQ(h.RedoName(), "");
    EXPECT_EQ(h.UndoName(), "Edit");
    ASSERT_TRUE(h.Undo(data.data(), len));
    EXPECT_EQ(data[7], 0);
    ASSERT_TRUE(h.Undo(data.data(), len));
    EXPECT_EQ(len, 0);
    EXPECT_FALSE(h.Undo(data.data(), len));
}

// Which steps stay under each bound, and that a step holds what changed, not the whole sample.
TEST(EditHistory, KeepsTheNewestStepsWithinCountAndBytes) {
    struct Case {
        int maxSteps;
        std::size_t maxBytes;
        int edits;
        std::size_t changed; // bytes each edit changes
        int kept;
    };
    const std::int32_t n = 1 << 16;
    // What a step may hold besides its two ranges: its name and its record.
    const std::size_t stepCost = 400;
    for (const Case c : {Case{64, 1 << 26, 100, 1, 64}, Case{8, 1 << 26, 5, 1, 5},
                         Case{64, 20500, 30, 1000, 9}, Case{64, 10, 3, 1000, 1}}) {
        SCOPED_TRACE(testing::Message() << c.maxSteps << " steps, " << c.maxBytes << " bytes");
        EditHistory h(n, c.maxSteps, c.maxBytes);
        Bytes data(n, 0);
        std::vector<Bytes> states{data};
        for (int i = 0; i < c.edits; ++i) {
            for (std::size_t k = 0; k < c.changed; ++k)
                data[(static_cast<std::size_t>(i) * 997 + k) % n] += 1;
            ASSERT_TRUE(h.Record("Draw", data.data(), 100));
            states.push_back(data);
        }
        EXPECT_EQ(h.StepCount(), c.kept);
        EXPECT_LE(h.BytesHeld(), std::max(c.maxBytes, 2 * c.changed + stepCost));
        EXPECT_LE(h.BytesHeld(), static_cast<std::size_t>(c.kept) * (2 * c.changed + stepCost));
        std::int32_t len = 100;
        while (h.Undo(data.data(), len)) {
        }
        // The oldest steps are the ones that went.
        EXPECT_EQ(data, states[states.size() - 1 - static_cast<std::size_t>(c.kept)]);
    }
}

// The saved mark follows undo and redo, and is lost for good when its step goes.
TEST(EditHistory, ModifiedUntilBackAtTheSavedState) {
    EditHistory h(16, 3);
    Bytes data(16, 0);
    std::int32_t len = 4;
    EXPECT_FALSE(h.IsModified());
    data[0] = 1;
    h.Record("A", data.data(), len);
    EXPECT_TRUE(h.IsModified());
    h.MarkSaved();
    EXPECT_FALSE(h.IsModified());
    h.Undo(data.data(), len);
    EXPECT_TRUE(h.IsModified());
    h.Redo(data.data(), len);
    EXPECT_FALSE(h.IsModified());
    for (std::uint8_t v = 2; v < 6; ++v) {
        data[0] = v;
        h.Record("B", data.data(), len);
    }
    while (h.Undo(data.data(), len)) {
    }
    EXPECT_EQ(data[0], 2);
    EXPECT_TRUE(h.IsModified());
    h.Reset(data.data(), len);
    EXPECT_FALSE(h.IsModified());
    EXPECT_FALSE(h.CanUndo());
}
