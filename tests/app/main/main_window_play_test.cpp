// Playback from the main window over the virtual device: what reaches the device, stopping,
// looping, the follow of the playing position and bank slot playback.
#include "audio_window_fixture.h"
#include "bank_window.h"
#include "buffer_gate.h"
#include "connector.h"
#include "sample_byte_maps.h"
#include "value_field.h"
#include "window_parts.h"

#include <QLabel>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace vk350;

TEST_F(AudioWindowTest, PlayPlaysTheSampleStopsOnASecondPressAndAgainAfterItsEnd) {
    // An empty sample plays nothing, not even a work file left from an earlier run.
    QFile::copy(Write("old.raw", Ramp(300)), WorkFile("convertspl.raw"));
    findAction(*main, "playItem")->trigger();
    Step();
    EXPECT_FALSE(main->IsPlaying() || main->ChainOutput().IsOpen());
    EXPECT_TRUE(device.played().empty());

    const Bytes sample = Ramp(6000);
    Answered(findAction(*main, "loadRawItem"), Write("kick.bin", sample));
    findAction(*main, "playButton")->trigger();
    EXPECT_TRUE(main->IsPlaying());
    EXPECT_FALSE(MainWindow::ItemEnabled(findAction(*main, "saveAsWaveItem")));
    Step(20000);
    findAction(*main, "playItem")->trigger();
    EXPECT_FALSE(main->IsPlaying());
    EXPECT_FALSE(main->ChainOutput().IsOpen());
    EXPECT_EQ(device.openOutputs(), 0);
    EXPECT_TRUE(main->ChainWave().Wave().FileName().empty()) << "the wave is released";

    for (int run = 0; run < 2; ++run) { // a one-shot end lets Play start again at once
        device.clearPlayed();
        findAction(*main, "playButton")->trigger();
        PlayToEnd();
        EXPECT_EQ(device.played(), sample);
        EXPECT_FALSE(main->IsPlaying());
        EXPECT_TRUE(MainWindow::ItemEnabled(findAction(*main, "saveAsWaveItem")));
    }
    // Edits are heard at the next Play.
    findAction(*main, "reverseItem")->trigger();
    device.clearPlayed();
    findAction(*main, "playButton")->trigger();
    PlayToEnd();
    EXPECT_EQ(device.played(), Bytes(sample.rbegin(), sample.rend()));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AudioWindowTest, LoopRepeatsUntilPlayIsPressedAgain) {
    const Bytes sample = Ramp(2205); // 0.1 s
    Answered(findAction(*main, "loadRawItem"), Write("hat.bin", sample));
    findAction(*main, "loopItem")->trigger();
    EXPECT_TRUE(findAction(*main, "loopButton")->isChecked() && main->ChainOutput().Looping());
    findAction(*main, "playButton")->trigger();
    for (int i = 0; i < 350; ++i)
        Step();
    EXPECT_TRUE(main->IsPlaying());
    const Bytes played = device.played();
    ASSERT_GE(played.size(), 3 * sample.size());
    for (size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], sample[i % sample.size()]) << i;
    findAction(*main, "playButton")->trigger();
    EXPECT_FALSE(main->ChainOutput().IsOpen());

    findAction(*main, "loopItem")->trigger();
    EXPECT_FALSE(findAction(*main, "loopButton")->isChecked() || main->ChainOutput().Looping());
    findAction(*main, "loopButton")->trigger(); // the button alone
    EXPECT_TRUE(main->ChainOutput().Looping());
    EXPECT_FALSE(findAction(*main, "loopItem")->isChecked());
}

TEST_F(AudioWindowTest, ThePlayingPositionMovesTheLocatorOrTheView) {
    Answered(findAction(*main, "loadRawItem"), Write("long.bin", Ramp(44100)));
    SampleView& e = *findEditor(*main);
    for (const bool follow : {false, true}) {
        findAction(*main, "followLocatorItem")->setChecked(follow);
        e.SetZoom(3);
        e.SetViewOrigin(1000);
        findAction(*main, "playButton")->trigger();
        for (int i = 0; i < 300; ++i)
            Step();
        const int64_t p = main->ChainOutput().GetPosition();
        ASSERT_GT(p, 5000);
        if (follow) {
            EXPECT_EQ(e.ViewOrigin(), p) << "the playing position at column 0";
            EXPECT_EQ(findValueField(*main, "originField")->State(), p);
        } else {
            EXPECT_EQ(e.LocatorPos(), (p - 1000) / 3);
            EXPECT_EQ(findValueField(*main, "locatorField")->State(), 1000 + (p - 1000) / 3 * 3)
                << "Loc in samples";
        }
        findAction(*main, "playButton")->trigger();
    }
}

TEST_F(AudioWindowTest, PlaySlotPlaysItsDecodedBytesAndLeavesTheSlot) {
    SampleView& slot = bank.SlotView(3);
    const Bytes before = Ramp(1500, 11), bytes = Ramp(3000, 5);
    slot.Sample().LoadFromBuffer(before.data(), 1500);
    slot.SetSampleLen(1500);
    slot.Sample().SaveUndo();
    slot.Sample().LoadFromBuffer(bytes.data(), 3000);
    slot.SetSampleLen(3000);

    main->PlaySlot(3);
    EXPECT_TRUE(main->IsPlaying() && findAction(*main, "playButton")->isEnabled() &&
                MainWindow::ItemEnabled(findAction(*main, "stopButton")));
    PlayToEnd();
    Bytes expected(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        expected[i] = uint8_t(MuLawTables::Instance().ExpandTable[convertSign(bytes[i])]);
    EXPECT_EQ(device.played(), expected);
    EXPECT_EQ(Bytes(slot.GetData(), slot.GetData() + slot.GetSampleLen()), bytes);
    EXPECT_EQ(Bytes(slot.Sample().UndoData(), slot.Sample().UndoData() + 1500), before)
        << "its undo copy too";
    EXPECT_TRUE(MainWindow::ItemEnabled(findAction(*main, "saveAsWaveItem")));

    device.clearPlayed();
    bank.SlotView(0).Sample().LoadFromBuffer(bytes.data(), 100);
    bank.SlotView(0).SetSampleLen(100);
    main->PlaySlot(4);  // empty
    main->PlaySlot(10); // no such slots: not their neighbours either
    main->PlaySlot(-1);
    EXPECT_FALSE(main->IsPlaying());
    EXPECT_TRUE(device.played().empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

// A click on a slot's waveform in the real bank window plays that slot.
TEST_F(AudioWindowTest, AClickOnABankSlotsWaveformPlaysIt) {
    BankWindow window(store, dialogs);
    main->SetBankWindow(&window);
    const Bytes bytes = Ramp(2000, 3);
    SampleView& slot = window.SlotView(6);
    slot.Sample().LoadFromBuffer(bytes.data(), 2000);
    slot.SetSampleLen(2000);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(findPart<SampleView>(window, "slotViews", 6), Qt::LeftButton);
    EXPECT_TRUE(main->IsPlaying());
    PlayToEnd();
    Bytes expected(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        expected[i] = uint8_t(MuLawTables::Instance().ExpandTable[convertSign(bytes[i])]);
    EXPECT_EQ(device.played(), expected);
    main->SetBankWindow(nullptr);
}

TEST_F(AudioWindowTest, NewAndClosingStopPlaybackAndNoDeviceIsReported) {
    for (const bool close : {false, true}) {
        Answered(findAction(*main, "loadRawItem"), Write("kick.bin", Ramp(20000)));
        findAction(*main, "playButton")->trigger();
        Step();
        ASSERT_TRUE(main->ChainOutput().IsPlaying());
        if (close)
            main->close();
        else
            findAction(*main, "newButton")->trigger();
        EXPECT_FALSE(main->ChainOutput().IsOpen());
        EXPECT_EQ(device.openOutputs(), 0);
        EXPECT_FALSE(main->IsPlaying());
        EXPECT_EQ(MainWindow::ItemEnabled(findAction(*main, "saveAsWaveItem")), close)
            << "New disables it, after the stop";
    }
    // A window without a wave system has no device: Play says so and leaves Play usable.
    MainWindow alone(dialogs);
    alone.OpenSampleFile(Write("a.bin", Ramp(100)));
    findAction(alone, "playItem")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "No wave audio playing device found");
    EXPECT_FALSE(alone.IsPlaying());
    EXPECT_EQ(findEditor(alone)->GetSampleLen(), 100);
}

// In the Thread method a second Play and a second slot wait for the buffer the playback thread
// is processing: the output is closed and the wave released before the call returns, and the
// new slot plays in full.
TEST_F(AudioWindowTest, ThreadMethodStopsAndSwitchesSlotsOnlyAfterTheBufferInProcessing) {
    link->SetMethod(PlaybackMethod::Thread);
    BufferGate gate;
    main->ChainOutput().OnBufferReady = [&](DspComponent&, ChainBuffer*) { gate.pass(); };
    const Bytes first = Ramp(40000, 3), second = Ramp(3000, 5);
    for (const auto& [slot, bytes] : {std::pair{3, &first}, {4, &second}}) {
        bank.SlotView(slot).Sample().LoadFromBuffer(bytes->data(), int32_t(bytes->size()));
        bank.SlotView(slot).SetSampleLen(int32_t(bytes->size()));
    }
    for (const bool otherSlot : {false, true}) {
        SCOPED_TRACE(otherSlot ? "another slot" : "Play again");
        main->PlaySlot(3);
        std::thread opener;
        ASSERT_TRUE(gate.catchOne([&] { Step(10000); }, opener));
        findAction(*main, "loopItem")->trigger(); // Loop on and off meanwhile: the playback thread reads it
        findAction(*main, "loopItem")->trigger();
        if (otherSlot)
            main->PlaySlot(4);
        else
            findAction(*main, "playButton")->trigger();
        EXPECT_EQ(gate.inside(), 0) << "returned while a buffer was mid-way";
        opener.join();
        if (!otherSlot) {
            EXPECT_FALSE(main->IsPlaying() || main->ChainOutput().IsOpen());
            EXPECT_EQ(device.openOutputs(), 0);
            EXPECT_TRUE(main->ChainWave().Wave().FileName().empty());
            continue;
        }
        device.clearPlayed();
        PlayToEnd();
        Bytes expected(second.size());
        for (size_t i = 0; i < second.size(); ++i)
            expected[i] = uint8_t(MuLawTables::Instance().ExpandTable[convertSign(second[i])]);
        EXPECT_EQ(device.played(), expected);
    }
    main->ChainOutput().OnBufferReady = nullptr;
    EXPECT_TRUE(dialogs.messages.empty());
}

// Failures that surface while the sound plays, outside any command, reach the error box: a
// device that vanishes in either method, and a processing pass that fails.
TEST_F(AudioWindowTest, PlaybackFailuresAreShownInTheErrorBox) {
    const QString gone =
        QStringLiteral("WaveOutWrite:\n\rThe audio output is not present (it may have been unplugged).");
    struct Case {
        PlaybackMethod method;
        bool failingPass;
        QString text;
    };
    Answered(findAction(*main, "loadRawItem"), Write("long.bin", Ramp(200000)));
    const auto trigger = main->ChainConnector().OnTrigger;
    for (const Case& c :
         {Case{PlaybackMethod::Window, false, gone}, Case{PlaybackMethod::Thread, false, gone},
          Case{PlaybackMethod::Window, true, QStringLiteral("display failed")}}) {
        SCOPED_TRACE(c.text.toStdString());
        dialogs.messages.clear();
        link->SetMethod(c.method);
        findAction(*main, "playButton")->trigger();
        Step(20000);
        if (c.failingPass)
            main->ChainConnector().OnTrigger = [](Connector&) { throw std::runtime_error("display failed"); };
        else
            device.unplug();
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (dialogs.messages.empty() && std::chrono::steady_clock::now() < limit) {
            Step();
            std::this_thread::sleep_for(std::chrono::microseconds(100)); // the playback thread's turn
        }
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("VK350 Sample Editor"));
        EXPECT_EQ(dialogs.messages[0].text, c.text);
        if (c.failingPass)
            findAction(*main, "playButton")->trigger();
        for (int i = 0; i < 1000 && main->ChainOutput().IsOpen(); ++i)
            Step();
        EXPECT_FALSE(main->IsPlaying() || main->ChainOutput().IsOpen());
        device.setDeviceCount(1);
        main->ChainConnector().OnTrigger = trigger;
    }
}
