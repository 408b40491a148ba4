// Playing from the locator and the selection: exactly those bytes reach the device, the locator
// follows in sample positions of the whole sample, and Play shows the playing state.
#include "audio_window_fixture.h"
#include "value_field.h"

using namespace vk350;

namespace {

void TurnField(ValueField* knob, int value) {
    knob->SetState(value);
    knob->OnChange(*knob);
}

} // namespace

TEST_F(AudioWindowTest, PlayFromLocatorAndPlaySelectionSendExactlyThoseBytes) {
    const Bytes sample = Ramp(6000);
    Answered(findAction(*main, "loadRawItem"), Write("kick.bin", sample));
    struct Case {
        QAction* item;
        int loc, pos, len;
        size_t first, end; // the bytes heard
    };
    const Case cases[] = {
        {findAction(*main, "playFromLocatorItem"), 2500, 0, 0, 2500, 6000},
        {findAction(*main, "playFromLocatorItem"), 0, 100, 50, 0, 6000},
        {findAction(*main, "playFromLocatorItem"), 5999, 0, 0, 5999, 6000},
        {findAction(*main, "playSelectionItem"), 300, 1000, 700, 1000, 1700},
        {findAction(*main, "playSelectionItem"), 300, 5990, 10, 5990, 6000},
        {findAction(*main, "playSelectionItem"), 300, 1000, 0, 0, 0}, // no selection, nothing plays
        {findAction(*main, "playFromLocatorItem"), 6000, 0, 0, 0, 0}, // at the end, nothing left
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.item->text().toStdString() << " " << c.first);
        TurnField(findValueField(*main, "locatorField"), c.loc);
        TurnField(findValueField(*main, "selectionStartField"), c.pos);
        TurnField(findValueField(*main, "selectionLengthField"), c.len);
        device.clearPlayed();
        c.item->trigger();
        EXPECT_EQ(main->IsPlaying(), c.first < c.end);
        EXPECT_EQ(findAction(*main, "playButton")->isChecked(), main->IsPlaying());
        EXPECT_EQ(findAction(*main, "playItem")->isChecked(), main->IsPlaying());
        PlayToEnd();
        EXPECT_EQ(device.played(), Bytes(sample.begin() + c.first, sample.begin() + c.end));
        EXPECT_FALSE(main->IsPlaying() || findAction(*main, "playButton")->isChecked() ||
                     findAction(*main, "playItem")->isChecked());
    }
    // Play still plays the whole sample afterwards.
    device.clearPlayed();
    findAction(*main, "playButton")->trigger();
    PlayToEnd();
    EXPECT_EQ(device.played(), sample);
    EXPECT_TRUE(dialogs.messages.empty());
}

// With Loop on the selection repeats until Play stops it; the locator follows within it, at the
// whole sample's positions.
TEST_F(AudioWindowTest, PlaySelectionLoopsAndTheLocatorFollowsInsideIt) {
    const Bytes sample = Ramp(44100);
    Answered(findAction(*main, "loadRawItem"), Write("long.bin", sample));
    SampleView& e = *findEditor(*main);
    TurnField(findValueField(*main, "zoomField"), 1);
    TurnField(findValueField(*main, "selectionStartField"), 20000);
    TurnField(findValueField(*main, "selectionLengthField"), 2205);
    TurnField(findValueField(*main, "locatorField"),
              30000); // outside the selection: the follow must bring it in
    findAction(*main, "loopItem")->trigger();
    findAction(*main, "playSelectionItem")->trigger();
    int64_t lowest = INT64_MAX;
    int64_t highest = 0;
    for (int i = 0; i < 350; ++i) {
        Step();
        if (i < 20) // the first buffers are on their way to the device
            continue;
        lowest = std::min<int64_t>(lowest, findValueField(*main, "locatorField")->State());
        highest = std::max<int64_t>(highest, findValueField(*main, "locatorField")->State());
    }
    EXPECT_TRUE(main->IsPlaying() && findAction(*main, "playButton")->isChecked());
    EXPECT_GE(lowest, 20000);
    EXPECT_LT(highest, 22205);
    EXPECT_GT(highest, lowest);
    EXPECT_EQ(e.LocatorPos(), findValueField(*main, "locatorField")->State() - e.ViewOrigin());
    const Bytes played = device.played();
    ASSERT_GE(played.size(), 3 * 2205u);
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], sample[20000 + i % 2205]) << i;
    findAction(*main, "playItem")->trigger();
    EXPECT_FALSE(main->IsPlaying() || main->ChainOutput().IsOpen() ||
                 findAction(*main, "playButton")->isChecked());
}
