// The options window's link with the machine over the loopback cable: port handling and its
// log, the KVB9 setup on the wire, sending samples, and every kind of received message.
#include "options_fixture.h"

#include "bank_location.h"
#include "sample_byte_maps.h"
#include "sample_dump.h"
#include "value_field.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

using namespace vk350;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Dump(int slot, const Bytes& editorSamples) {
    Bytes machine = editorSamples;
    convertSign(machine);
    Bytes m(sampleDumpSize(machine.size()));
    buildSampleDump(slot, machine, m);
    return m;
}

std::string Hex(uint8_t v) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", v);
    return text;
}

} // namespace

TEST_F(OptionsTest, StartUpOpensBothPortsLogsThemAndSendsTheBoardSetup) {
    Open();
    EXPECT_EQ(Part<QComboBox>("midiInChooser")->count(), 2);
    EXPECT_EQ(Part<QComboBox>("midiOutChooser")->itemText(1), QStringLiteral("Loopback 2"));
    EXPECT_EQ(Log(), (QStringList{"Loopback 1 IN  -> Ouvert", "Loopback 1 OUT -> Ouvert"}));
    EXPECT_EQ(Part<QComboBox>("midiInChooser")->currentIndex(), 0)
        << "the list shows the port that was opened";
    // Startup Send is checked by design: input 0, no merge.
    EXPECT_EQ(driver->backlog(0), (Bytes{0xCF, 0x00, 0xBF, 0x1F, 0x00}));
}

TEST_F(OptionsTest, StoredPortsAndBoardValuesChooseWhatOpensAndWhatIsSent) {
    StoreLooks();
    store.Set("KVB9IN", 6);
    store.Set("KVB9PRE", 1);
    store.Set("MIDIIN", 1);
    store.Set("MIDIOUT", 1);
    Open();
    EXPECT_EQ(Log(), (QStringList{"Loopback 2 IN  -> Ouvert", "Loopback 2 OUT -> Ouvert"}));
    EXPECT_TRUE(driver->backlog(0).empty());
    EXPECT_EQ(driver->backlog(1), (Bytes{0xCF, 0x06, 0xBF, 0x1F, 0x01}));

    form.reset();
    driver->clearBacklog(1);
    store.Set("KVB9AS", 0);
    Open();
    EXPECT_TRUE(driver->backlog(1).empty()) << "Startup Send unchecked";
}

TEST_F(OptionsTest, WithoutMidiDevicesTheFailuresAreLoggedAndNothingHangs) {
    driver = std::make_unique<LoopbackMidiDriver>(0);
    OptionsWindow& w = Open();
    EXPECT_EQ(Log(), (QStringList{"Erreur ouverture port MIDI IN", "Erreur ouverture port MIDI OUT",
                                  "Erreur envoi KVB9 MIDI OUT - code 5"}));
    // A send with no output port: the steps are logged, then the failure with the driver's code.
    wave.Sample().LoadFromBuffer(Ramp(100).data(), 100);
    wave.SetSampleLen(100);
    ClearLog();
    EXPECT_FALSE(w.SendSample(4, SampleSource::Editor, wave.Sample()));
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[0], QStringLiteral("Adjust Size Editor - Add 3996 bytes"));
    EXPECT_TRUE(log[1].startsWith(QStringLiteral("Send Instr #4 Msg Size =4695  - Checksum =")));
    EXPECT_EQ(log[2], QStringLiteral("Erreur transfert MIDI OUT - code 5"));
    EXPECT_EQ(wave.GetSampleLen(), 4096) << "the sample was fitted all the same";
}

TEST_F(OptionsTest, ChangingAListReopensBothPorts) {
    OptionsWindow& w = Open();
    Part<QComboBox>("midiInChooser")->setCurrentIndex(1);
    w.ClosePorts();
    EXPECT_EQ(Log(), (QStringList{"Loopback 1 Ferme", QString::fromUtf8("Loopback 1 Fermé")}));
    w.OpenPorts();
    EXPECT_EQ(Log(), (QStringList{"Loopback 2 IN  -> Ouvert", "Loopback 1 OUT -> Ouvert"}));
    EXPECT_EQ(w.MidiIn().Port(), 1);

    // Through the list as the user picks: the log is cleared and the new ports logged.
    Part<QComboBox>("midiOutChooser")->setCurrentIndex(1);
    emit Part<QComboBox>("midiOutChooser")->activated(1);
    EXPECT_EQ(Log(), (QStringList{"Loopback 2 IN  -> Ouvert", "Loopback 2 OUT -> Ouvert"}));
    EXPECT_EQ(w.MidiOut().Port(), 1);
}

TEST_F(OptionsTest, BoardSetupTriggersPutTheirBytesOnTheWire) {
    Open();
    driver->clearBacklog(0);
    struct Step {
        const char* what;
        std::function<void()> act;
        Bytes wire;
    };
    const std::vector<Step> steps = {
        {"input knob",
         [&] {
             ValueField* kvb9InputField = Part<ValueField>("kvb9InputField");
             kvb9InputField->SetState(4);
             kvb9InputField->OnChange(*kvb9InputField);
         },
         {0xCF, 0x04}},
        {"merge on", [&] { Part<QCheckBox>("kvb9MergeBox")->click(); }, {0xBF, 0x1F, 0x01}},
        {"merge off", [&] { Part<QCheckBox>("kvb9MergeBox")->click(); }, {0xBF, 0x1F, 0x00}},
        {"send button",
         [&] { Part<QToolButton>("kvb9SendButton")->click(); },
         {0xCF, 0x04, 0xBF, 0x1F, 0x00}},
        {"startup box", [&] { Part<QCheckBox>("kvb9StartupBox")->click(); }, {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(driver->backlog(0), s.wire);
        driver->clearBacklog(0);
    }
}

TEST_F(OptionsTest, EditorSampleGoesOutAndComesBackIntoItsSlot) {
    OptionsWindow& w = Open();
    struct Case {
        int slot;
        size_t length;
        size_t expectLength; // what the slot holds afterwards
        const char* adjust;
    };
    const Case cases[] = {
        {1, 10000, 16384, "Adjust Size Editor - Add 6384 bytes"},
        {0, 8192, 8192, nullptr},
        {7, 70000, 65535, "Adjust Size Editor - Cut 4464 bytes"}, // a 64 K slot sends 65535 bytes
        {9, 5000, 4096, "Adjust Size Editor - Cut 904 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        const Bytes original = Ramp(c.length, uint8_t(c.slot));
        wave.Sample().LoadFromBuffer(original.data(), int(original.size()));
        wave.SetSampleLen(int(original.size()));
        ClearLog();
        // As the main window sends: the machine's form around the send.
        wave.ConvertSign(true, false);
        ASSERT_TRUE(w.SendSample(c.slot, SampleSource::Editor, wave.Sample()));
        wave.ConvertSign(true, false);
        Deliver();

        Bytes expected = original;
        expected.resize(kBankLocations[size_t(c.slot)].size(), 0);
        EXPECT_EQ(wave.GetSampleLen(), int(expected.size()));
        EXPECT_EQ(Bytes(wave.GetData(), wave.GetData() + wave.GetSampleLen()), expected)
            << "the editor keeps its own form";
        expected.resize(c.expectLength);
        EXPECT_EQ(SlotBytes(c.slot), expected);
        EXPECT_EQ(bank.SlotName(c.slot), QStringLiteral("New Sound"));
        EXPECT_EQ(bank.SlotSize(c.slot), QString::number(c.expectLength / 1024 + 1) + "K");

        const Bytes message = Dump(c.slot, expected);
        const std::string sum = Hex(message[message.size() - 2]);
        QStringList lines;
        if (c.adjust)
            lines << c.adjust;
        lines << QString::fromStdString("Send Instr #" + std::to_string(c.slot) + " Msg Size =" +
                                        std::to_string(message.size()) + "  - Checksum =" + sum)
              << "Transfert ok"
              << QString::fromStdString(">RX Instr #" + std::to_string(c.slot) +
                                        " Msg size =" + std::to_string(message.size()) + " Checksum =" + sum);
        EXPECT_EQ(Log(), lines);
    }
}

TEST_F(OptionsTest, BankSourceLogsItsOwnAdjustmentLines) {
    OptionsWindow& w = Open();
    SampleView& slot = bank.SlotView(3);
    slot.Sample().LoadFromBuffer(Ramp(16384).data(), 16384);
    slot.SetSampleLen(16384);
    ClearLog();
    ASSERT_TRUE(w.SendSample(3, SampleSource::Bank, slot.Sample()));
    const QStringList log = Log();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log[0], QStringLiteral("Adjust Size  #3 Add 0 bytes"));
    EXPECT_TRUE(log[1].startsWith(QStringLiteral("Send Instr #3 Msg Size =18738  - Checksum =")));
    EXPECT_EQ(log[2], QStringLiteral("Transfert ok"));
}

TEST_F(OptionsTest, EveryReceivedKindLandsWhereItBelongsAndFaultyOnesLoseNothing) {
    Open();
    const Bytes hh = Ramp(16384, 3);
    driver->inject(0, Dump(3, hh));
    Deliver();
    ASSERT_EQ(SlotBytes(3), hh);
    EXPECT_EQ(bank.SlotView(3).Zoom(), 16384 / (bank.SlotView(3).width() - 1) + 1) << "fitted to its view";

    Bytes badSum = Dump(3, Ramp(16384, 99));
    badSum[badSum.size() - 2] ^= 0x01;
    Bytes badLength = Dump(6, Ramp(500));
    badLength[6] = 0x05;
    Bytes instrument14 = Dump(5, Ramp(50));
    instrument14[8] = 14;
    Bytes longPattern(70000, 0x12);
    longPattern[0] = 0xF0;
    longPattern[1] = 0x2A;
    longPattern[2] = 0x03;
    longPattern[3] = 0x01;
    longPattern[4] = 0x01;
    longPattern.back() = 0xF7;
    const Bytes onePattern = {0xF0, 0x2A, 0x03, 0x01, 0x02, 0x44, 0x55, 0xF7};

    SampleView& tm = bank.SlotView(6);
    tm.Sample().LoadFromBuffer(Ramp(300, 1).data(), 300);
    tm.SetSampleLen(300);
    ClearLog();
    for (const Bytes& m :
         {badSum, badLength, instrument14, Bytes{0xF0, 0x43, 0x12, 0xF7}, Bytes{0xF0, 0x2A, 0xF7}, onePattern,
          longPattern, Bytes{0xF0, 0x2A, 0x03, 0x01, 0x03, 0xF7}})
        driver->inject(0, m);
    Deliver();
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 8) << log.join('\n').toStdString();
    EXPECT_TRUE(log[0].startsWith(QStringLiteral("Probleme de Checksum - Msg =")));
    EXPECT_EQ(log[1], QStringLiteral("Probleme controle taille du sample"));
    EXPECT_EQ(log[2], QStringLiteral("Probleme Instr #14 inconnu"));
    EXPECT_EQ(log[3], QStringLiteral("UFO Sysex Message !?!"));
    EXPECT_EQ(log[4], QStringLiteral("UFO Sysex Message !?!"));
    EXPECT_EQ(log[5], QStringLiteral("> Syx ONEPAT recu 8"));
    EXPECT_EQ(log[6], QStringLiteral("> Syx ALLPAT recu 70000"));
    EXPECT_EQ(log[7], QStringLiteral("Probleme Sysex trop long - Msg size =70000 - pattern non garde"));

    EXPECT_EQ(SlotBytes(3), hh) << "a bad checksum leaves its slot untouched";
    EXPECT_EQ(SlotBytes(6), Ramp(300, 1)) << "a bad length leaves its slot untouched too";
    EXPECT_EQ(bank.SlotName(6), QStringLiteral("..."));
    EXPECT_EQ(patterns.HeldLength(), 8) << "the long pattern dump did not replace the short one";
    EXPECT_EQ(Bytes(patterns.Buffer(), patterns.Buffer() + 8), onePattern);
    EXPECT_EQ(patterns.LogLines(), (QStringList{"> Syx ONEPAT recu 8"}));
}

TEST_F(OptionsTest, DumpsArrivingBackToBackAreAllHandledInOrder) {
    Open();
    ClearLog();
    // Twenty dumps in one burst, as one stream of bytes, every slot twice.
    Bytes stream;
    std::vector<Bytes> last(10);
    QStringList expected;
    for (int i = 0; i < 20; ++i) {
        const int slot = i % 10;
        const Bytes samples = Ramp(kBankLocations[size_t(slot)].size() - 1, uint8_t(i));
        const Bytes m = Dump(slot, samples);
        stream.insert(stream.end(), m.begin(), m.end());
        last[size_t(slot)] = samples;
        expected << QString::fromStdString(">RX Instr #" + std::to_string(slot) + " Msg size =" +
                                           std::to_string(m.size()) + " Checksum =" + Hex(m[m.size() - 2]));
    }
    driver->inject(0, stream);
    Deliver();
    EXPECT_EQ(Log(), expected);
    for (int slot = 0; slot < 10; ++slot)
        EXPECT_EQ(SlotBytes(slot), last[size_t(slot)]) << slot;
}

TEST_F(OptionsTest, TheHandlerDecidesOnItsThreadAndTheWindowAppliesInOrder) {
    OptionsWindow& w = Open();
    // The input handler runs on its own thread; what it decides is applied on the window thread only.
    const Bytes first = Ramp(4096, 1);
    const Bytes second = Ramp(4096, 2);
    w.MidiInputSysEx(&w.MidiIn(), Dump(4, first).data(), int(Dump(4, first).size()));
    w.MidiInputSysEx(&w.MidiIn(), Dump(4, second).data(), int(Dump(4, second).size()));
    EXPECT_TRUE(SlotBytes(4).empty()) << "nothing is applied before the window thread runs";
    QApplication::processEvents();
    EXPECT_EQ(SlotBytes(4), second);
    EXPECT_EQ(Log().size(), 4);
}

TEST_F(OptionsTest, CancelCutsADumpInTheMiddleAndSaysHowFarItGot) {
    OptionsWindow& w = Open();
    driver->setPace(0, LoopbackMidiDriver::kCablePace);
    const Bytes sample = Ramp(16384, 4);
    wave.Sample().LoadFromBuffer(sample.data(), int(sample.size()));
    wave.SetSampleLen(int(sample.size()));
    wave.ConvertSign(true, false); // the machine's form, as the main window hands it over
    ClearLog();
    driver->clearBacklog(0);
    bool shown = false;
    int shownValue = 0;
    // The user presses Cancel once the progress dialog has come up.
    QTimer::singleShot(TransferProgress::kShowAfterMs + 300, [&] {
        QProgressDialog* dialog = w.Transfer().Dialog();
        ASSERT_NE(dialog, nullptr);
        shown = dialog->isVisible();
        shownValue = dialog->value();
        dialog->findChild<QPushButton*>()->click();
    });
    EXPECT_FALSE(w.SendSample(3, SampleSource::Editor, wave.Sample()));
    EXPECT_TRUE(shown) << "a transfer that lasts shows its progress";
    EXPECT_GT(shownValue, 0);

    const Bytes dump = Dump(3, sample);
    const size_t sent = w.MidiOut().SysExSent();
    ASSERT_GT(sent, 0u);
    ASSERT_LT(sent, dump.size());
    QStringList log = Log();
    ASSERT_GE(log.size(), 2);
    EXPECT_TRUE(log[0].startsWith("Send Instr #3 Msg Size =18738  - Checksum ="));
    EXPECT_EQ(log[1], QString::fromStdString("Transfert interrompu - dump coupe a " + std::to_string(sent) +
                                             " / 18738 octets"));
    const Bytes wire = driver->backlog(0);
    ASSERT_EQ(wire.size(), sent + 48) << "the cut dump, then all notes off on sixteen channels";
    EXPECT_TRUE(std::equal(wire.begin(), wire.begin() + long(sent), dump.begin()));
    EXPECT_EQ(wire[sent], 0xB0);

    // The cut dump reached the far end of the cable: refused there, and no slot touched.
    Deliver();
    log = Log();
    ASSERT_EQ(log.size(), 3);
    EXPECT_TRUE(log[2].startsWith("Probleme")) << log[2].toStdString();
    EXPECT_TRUE(SlotBytes(3).empty());

    // The next send goes whole.
    driver->setPace(0, 0);
    EXPECT_TRUE(w.SendSample(3, SampleSource::Editor, wave.Sample()));
    EXPECT_EQ(Log().back(), QStringLiteral("Transfert ok"));
}

TEST_F(OptionsTest, DumpsReceivedDuringASendWaitForItAndKeepTheirOrder) {
    OptionsWindow& w = Open();
    Part<QComboBox>("midiOutChooser")->setCurrentIndex(1); // send on the second cable, listen on the first
    w.ChangePorts();
    driver->setPace(1, 20000);
    const Bytes first = Ramp(4096, 1);
    const Bytes second = Ramp(4096, 2);
    wave.Sample().LoadFromBuffer(Ramp(16384).data(), 16384);
    wave.SetSampleLen(16384);
    ClearLog();
    Bytes during;
    QTimer::singleShot(100, [&] {
        driver->inject(0, Dump(4, first));
        driver->inject(0, Dump(4, second));
    });
    QTimer::singleShot(400, [&] {
        driver->waitUntilDelivered(0);
        QApplication::processEvents();
        during = SlotBytes(4);
    });
    ASSERT_TRUE(w.SendSample(1, SampleSource::Editor, wave.Sample()));
    EXPECT_TRUE(during.empty()) << "nothing was applied in the middle of the send";
    QApplication::processEvents();
    EXPECT_EQ(SlotBytes(4), second);
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 4);
    EXPECT_EQ(log[1], QStringLiteral("Transfert ok"));
    EXPECT_TRUE(log[2].startsWith(">RX Instr #4 Msg size =4695"));
    EXPECT_TRUE(log[3].startsWith(">RX Instr #4 Msg size =4695"));
}

TEST_F(OptionsTest, CancelBetweenMessagesDropsTheSendsStillToCome) {
    OptionsWindow& w = Open();
    Part<QComboBox>("midiOutChooser")->setCurrentIndex(1); // nothing comes back to the input
    w.ChangePorts();
    ClearLog();
    TransferProgress& transfer = w.Transfer();
    transfer.Begin(3 * 18738, QStringLiteral("Bank"));
    for (int slot : {1, 2})
        bank.SlotView(slot).SetSampleLen(16384);
    EXPECT_TRUE(w.SendSample(1, SampleSource::Bank, bank.SlotView(1).Sample()));
    QTimer::singleShot(30, [&] { transfer.Cancel(); });
    transfer.Pause(5000); // the pause between messages; Cancel ends it
    EXPECT_FALSE(w.SendSample(2, SampleSource::Bank, bank.SlotView(2).Sample()));
    EXPECT_FALSE(w.SendSample(3, SampleSource::Bank, bank.SlotView(3).Sample()));
    transfer.End();
    EXPECT_EQ(driver->backlog(1).size(), 18738u) << "only the first message went out";
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 4);
    EXPECT_EQ(log[2], QStringLiteral("Transfert ok"));
    EXPECT_EQ(log[3], QStringLiteral("Transfert annule")) << "one line for the sends dropped";
    EXPECT_EQ(bank.SlotView(2).GetSampleLen(), 16384) << "a dropped send changes nothing";

    // A transfer after it starts afresh.
    EXPECT_TRUE(w.SendSample(2, SampleSource::Bank, bank.SlotView(2).Sample()));
}

TEST_F(OptionsTest, AnInterfacePulledOutMidSendIsReportedWithItsCode) {
    OptionsWindow& w = Open();
    wave.SetSampleLen(4096);
    ClearLog();
    driver->setUnplugAfter(0, 1000);
    EXPECT_FALSE(w.SendSample(4, SampleSource::Editor, wave.Sample()));
    EXPECT_EQ(Log().back(), QStringLiteral("Erreur transfert MIDI OUT - code 1"));
    driver->setFailingSends(0, 1, kMidiBadDeviceId);
    EXPECT_FALSE(w.SendSample(4, SampleSource::Editor, wave.Sample()));
    EXPECT_EQ(Log().back(), QStringLiteral("Erreur transfert MIDI OUT - code 2"));
}
