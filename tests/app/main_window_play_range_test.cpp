// Playing from the locator and the selection: exactly those bytes reach the device, the locator
// follows in sample positions of the whole sample, and Play shows the playing state.
#include "audio_window_fixture.h"
#include "knob_label.h"

using namespace vk350;

namespace {

void TurnKnob(Tsqpotlab* knob, int value) {
    knob->SetState(value);
    knob->OnChange(*knob);
}

} // namespace

TEST_F(AudioWindowTest, PlayFromLocatorAndPlaySelectionSendExactlyThoseBytes) {
    const Bytes sample = Ramp(6000);
    Answered(main->mnuLoadRaw, Write("kick.bin", sample));
    struct Case {
        QAction* item;
        int loc, pos, len;
        size_t first, end; // the bytes heard
    };
    const Case cases[] = {
        {main->mnuPlayFromLocator, 2500, 0, 0, 2500, 6000},
        {main->mnuPlayFromLocator, 0, 100, 50, 0, 6000},
        {main->mnuPlayFromLocator, 5999, 0, 0, 5999, 6000},
        {main->mnuPlaySelection, 300, 1000, 700, 1000, 1700},
        {main->mnuPlaySelection, 300, 5990, 10, 5990, 6000},
        {main->mnuPlaySelection, 300, 1000, 0, 0, 0}, // no selection, nothing plays
        {main->mnuPlayFromLocator, 6000, 0, 0, 0, 0}, // at the end, nothing left
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.item->text().toStdString() << " " << c.first);
        TurnKnob(main->sqpotlab4, c.loc);
        TurnKnob(main->sqpotlab5, c.pos);
        TurnKnob(main->sqpotlab6, c.len);
        device.clearPlayed();
        c.item->trigger();
        EXPECT_EQ(main->Playing, c.first < c.end);
        EXPECT_EQ(main->btnPlay->isChecked(), main->Playing);
        EXPECT_EQ(main->mnuPlay->isChecked(), main->Playing);
        PlayToEnd();
        EXPECT_EQ(device.played(), Bytes(sample.begin() + c.first, sample.begin() + c.end));
        EXPECT_FALSE(main->Playing || main->btnPlay->isChecked() || main->mnuPlay->isChecked());
    }
    // Play still plays the whole sample afterwards.
    device.clearPlayed();
    main->btnPlay->trigger();
    PlayToEnd();
    EXPECT_EQ(device.played(), sample);
    EXPECT_TRUE(dialogs.messages.empty());
}

// With Loop on the selection repeats until Play stops it; the locator follows within it, at the
// whole sample's positions.
TEST_F(AudioWindowTest, PlaySelectionLoopsAndTheLocatorFollowsInsideIt) {
    const Bytes sample = Ramp(44100);
    Answered(main->mnuLoadRaw, Write("long.bin", sample));
    TsqSampleEdit& e = *main->sqSampleEdit1;
    TurnKnob(main->sqpotlab1, 1);
    TurnKnob(main->sqpotlab5, 20000);
    TurnKnob(main->sqpotlab6, 2205);
    TurnKnob(main->sqpotlab4, 30000); // outside the selection: the follow must bring it in
    main->mnuLoop->trigger();
    main->mnuPlaySelection->trigger();
    int64_t lowest = INT64_MAX;
    int64_t highest = 0;
    for (int i = 0; i < 350; ++i) {
        Step();
        if (i < 20) // the first buffers are on their way to the device
            continue;
        lowest = std::min<int64_t>(lowest, main->sqpotlab4->State());
        highest = std::max<int64_t>(highest, main->sqpotlab4->State());
    }
    EXPECT_TRUE(main->Playing && main->btnPlay->isChecked());
    EXPECT_GE(lowest, 20000);
    EXPECT_LT(highest, 22205);
    EXPECT_GT(highest, lowest);
    EXPECT_EQ(e.LocatorPos(), main->sqpotlab4->State() - e.ViewOrigin());
    const Bytes played = device.played();
    ASSERT_GE(played.size(), 3 * 2205u);
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], sample[20000 + i % 2205]) << i;
    main->mnuPlay->trigger();
    EXPECT_FALSE(main->Playing || main->WaveOut1->IsOpen() || main->btnPlay->isChecked());
}
