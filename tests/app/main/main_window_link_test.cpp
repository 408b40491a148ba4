// The main window with its options window: the Options item, Send to MIDI and Copy to bank
// location through the chosen location, the closing order of every window's settings, and the
// main window kept on a screen.
#include "bank_location.h"
#include "caption_contrast.h"
#include "loopback_midi_driver.h"
#include "main_window.h"
#include "main_window_parts.h"
#include "options_window.h"
#include "options_write_order.h"
#include "received_bank.h"
#include "received_patterns.h"
#include "recording_settings_store.h"
#include "sample_byte_maps.h"
#include "sample_dump.h"
#include "sample_view.h"
#include "scripted_dialogs.h"
#include "value_field.h"
#include "window_parts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vk350;

namespace {

using Bytes = std::vector<uint8_t>;

class MainLinkTest : public ::testing::Test {
protected:
    void SetUp() override { QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).clear(); }
    void TearDown() override { Close(); }

    void Open() {
        main = std::make_unique<MainWindow>(dialogs, &store);
        options = std::make_unique<OptionsWindow>(OptionsLinks{
            store, dialogs, driver, main->MainView(), main->EditingPanel(), bank, patterns, waveOut});
        main->SetOptionsWindow(options.get());
        main->SetBankSlots(&bank);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }

    void Close() {
        options.reset(); // it reaches the main window's waveform
        main.reset();
    }

    void LoadSample(const Bytes& bytes) {
        SampleView& e = *findEditor(*main);
        e.Sample().LoadFromBuffer(bytes.data(), int(bytes.size()));
        e.SetSampleLen(int(bytes.size()));
    }

    Bytes MainBytes() const {
        const SampleView& e = *findEditor(*main);
        return Bytes(e.GetData(), e.GetData() + e.GetSampleLen());
    }

    static Bytes Ramp(size_t n) {
        Bytes v(n);
        for (size_t i = 0; i < n; ++i)
            v[i] = uint8_t(i * 5 + i / 300);
        return v;
    }

    QtSettingsStore qtStore;
    RecordingSettingsStore store{&qtStore};
    ScriptedDialogs dialogs;
    LoopbackMidiDriver driver{1};
    ReceivedBank bank;
    ReceivedPatterns patterns;
    NoWaveOutput waveOut;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<OptionsWindow> options;
};

} // namespace

TEST_F(MainLinkTest, OptionsItemShowsAndHidesTheWindowAndCarriesItsCheckMark) {
    Open();
    QAction* item = findAction(*main, "preferencesItem");
    EXPECT_TRUE(MainWindow::ItemEnabled(item));
    EXPECT_FALSE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(options->isVisible());
    EXPECT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_FALSE(options->isVisible());
    EXPECT_FALSE(item->isChecked());
    item->trigger();
    options->close(); // the close box
    EXPECT_FALSE(item->isChecked());

    // Shown when the program closes: it comes back shown, with its check mark.
    item->trigger();
    main->close();
    Close();
    Open();
    EXPECT_TRUE(options->isVisible());
    EXPECT_TRUE(findAction(*main, "preferencesItem")->isChecked());
}

TEST_F(MainLinkTest, SendToMidiSendsTheChosenLocationAndKeepsTheEditorsBytesAndClipboard) {
    Open();
    const Bytes original = Ramp(10000);
    LoadSample(original);
    SampleView& e = *findEditor(*main);
    e.SetSelectionPos(10);
    e.SetSelectionLen(20);
    e.CopySelection();
    const Bytes clipboard(e.Sample().Clipboard(), e.Sample().Clipboard() + e.Sample().ClipboardLen());
    driver.clearBacklog(0);

    findPart<QComboBox>(*main, "locationChooser")->setCurrentIndex(0); // "----------------": nothing happens
    findAction(*main, "sendToMidiItem")->trigger();
    EXPECT_TRUE(driver.backlog(0).empty());
    EXPECT_EQ(MainBytes(), original);

    findPart<QComboBox>(*main, "locationChooser")->setCurrentIndex(2); // SD, 16 K
    findAction(*main, "sendToMidiButton")->trigger();
    Bytes fitted = original;
    fitted.resize(16384, 0);
    Bytes machine = fitted;
    convertSign(machine);
    Bytes dump(sampleDumpSize(machine.size()));
    buildSampleDump(1, machine, dump);
    EXPECT_EQ(driver.backlog(0), dump) << "the machine's form on the wire";
    EXPECT_EQ(MainBytes(), fitted) << "the editor's form afterwards, the added tail zero";
    EXPECT_EQ(Bytes(e.Sample().Clipboard(), e.Sample().Clipboard() + e.Sample().ClipboardLen()), clipboard);
    EXPECT_EQ(findValueField(*main, "sizeField")->Caption(), QStringLiteral("16Ko"));
    EXPECT_EQ(findValueField(*main, "selectionLengthField")->Max(), 16384);
    driver.waitUntilDelivered(0);
    QApplication::processEvents();
    SampleView& slot = bank.SlotView(1);
    EXPECT_EQ(Bytes(slot.GetData(), slot.GetData() + slot.GetSampleLen()), fitted) << "and back into slot SD";

    // A sample that already has the location's size comes back unchanged.
    findAction(*main, "sendToMidiItem")->trigger();
    EXPECT_EQ(MainBytes(), fitted);

    // A sample cut to a smaller location keeps its dropped tail in the editor's form too.
    findPart<QComboBox>(*main, "locationChooser")->setCurrentIndex(1); // BD, 8 K
    findAction(*main, "sendToMidiItem")->trigger();
    EXPECT_EQ(e.GetSampleLen(), 8192);
    e.SetSampleLen(10000);
    EXPECT_EQ(MainBytes(), original);
}

TEST_F(MainLinkTest, CopyToBankFitsTheSampleAndFillsTheSlot) {
    Open();
    LoadSample(Ramp(10000));
    findPart<QLabel>(*main, "fileNameLabel")->setText(QStringLiteral("kick.bin"));
    findPart<QComboBox>(*main, "locationChooser")->setCurrentIndex(1); // BD, 8 K
    findPart<LogMemo>(*options, "logMemo")->Clear();
    findAction(*main, "copyToBankButton")->trigger();
    EXPECT_EQ(findEditor(*main)->GetSampleLen(), 8192);
    SampleView& slot = bank.SlotView(0);
    EXPECT_EQ(slot.GetSampleLen(), 8192);
    EXPECT_EQ(Bytes(slot.GetData(), slot.GetData() + 8192), MainBytes());
    EXPECT_EQ(bank.SlotSize(0), QStringLiteral("8K"));
    EXPECT_EQ(bank.SlotName(0), QStringLiteral("kick.bin"));
    EXPECT_EQ(slot.Zoom(), 8192 / (slot.width() - 1) + 1);
    EXPECT_EQ(findPart<LogMemo>(*options, "logMemo")->Lines(),
              (QStringList{"Adjust Size Editor - Cut 1808 bytes"}));
    EXPECT_EQ(findEditor(*main)->Zoom(), 8192 / (findEditor(*main)->width() - 1) + 1);
}

TEST_F(MainLinkTest, ClosingStoresBankMainPatternsAndOptionsInThatOrderThenClosesThePorts) {
    Open();
    main->OnStoreBankSettings = [&] { writePlacement(store, kBankPlacementNames, kBankPlacementDesign); };
    main->OnStorePatternsSettings = [&] {
        writePlacement(store, kPatternsPlacementNames, kPatternsPlacementDesign);
    };
    store.writes.clear();
    main->close();
    QStringList expected = {"PX2", "PY2", "SHOW2", "PX1", "PY1", "PW1", "PH1", "PX3", "PY3", "SHOW3"};
    expected += OptionsWriteOrder();
    // The view's own choices follow, once the wave output has closed.
    EXPECT_EQ(store.writes, expected + QStringList({"MinMaxWave", "ShowVuMeters", "ShowRtSpectrum"}));
    EXPECT_FALSE(options->MidiIn().Using());
    EXPECT_FALSE(options->MidiOut().Using());
    EXPECT_EQ(findPart<LogMemo>(*options, "logMemo")->Lines(),
              (QStringList{"Loopback 1 Ferme", QString::fromUtf8("Loopback 1 Fermé")}));
    EXPECT_EQ(QSettings(QStringLiteral("Tervala"), QStringLiteral("Kelvane")).value("EN4").toInt(), 0);
}

TEST_F(MainLinkTest, AMainWindowPlacedOffEveryScreenComesBackOnOne) {
    QSettings settings(QStringLiteral("Tervala"), QStringLiteral("Kelvane"));
    settings.setValue("PX1", -3000);
    settings.setValue("PY1", 900);
    settings.setValue("PW1", 1000);
    settings.setValue("PH1", 400);
    settings.sync();
    Open();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(main->frameGeometry()))
        << main->frameGeometry().x() << "," << main->frameGeometry().y();
    EXPECT_EQ(main->size(), QSize(1000, 400));
}

TEST(CaptionContrast, RatiosAsAccessibilityGuidelinesMeasureThem) {
    const struct {
        QColor a, b;
        double ratio;
    } cases[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::white, 1.0},
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.54},
        {QColor(0, 0, 0xFF), Qt::white, 8.59},
        {QColor(0xFF, 0xFF, 0), Qt::black, 19.56},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(contrastRatio(c.a, c.b), c.ratio, 0.01) << c.a.name().toStdString();
        EXPECT_NEAR(contrastRatio(c.b, c.a), c.ratio, 0.01) << "either order";
    }
}

// The value strip's captions on the panel that wears the Back colour: readable on any colour,
// from the stored one at start-up (a dark one stored by the previous close) to each swatch pick.
TEST_F(MainLinkTest, ValueCaptionsReadOnWhateverBackColourThePanelWears) {
    Open();
    const auto checkCaptions = [&](QRgb rgb) {
        const QColor back(rgb);
        EXPECT_EQ(findPart<QWidget>(*main, "editPanel")->palette().color(QPalette::Window), back)
            << "the panel keeps Back";
        int captions = 0;
        for (const QLabel* label : findPart<QWidget>(*main, "fieldStrip")->findChildren<QLabel*>()) {
            if (dynamic_cast<const ValueField*>(label))
                continue;
            ++captions;
            EXPECT_GE(contrastRatio(label->palette().color(QPalette::WindowText), back), 4.5)
                << label->text().toStdString() << " on " << back.name().toStdString();
        }
        EXPECT_EQ(captions, 11);
    };
    dialogs.colors.push_back(0x000000);
    findPart<QToolButton>(*options, "swatchWave", int(Swatch::Back))->click();
    checkCaptions(qRgb(0, 0, 0));
    main->close();
    Close();
    Open();
    checkCaptions(qRgb(0, 0, 0));
    // Colours are 0x00BBGGRR.
    for (const BgrColor color : {0xFFFFFFu, 0x767676u, 0xB0B0B0u, 0xFF0000u, 0x00FFFFu, 0x2060C0u}) {
        dialogs.colors.push_back(color);
        findPart<QToolButton>(*options, "swatchWave", int(Swatch::Back))->click();
        checkCaptions(ColorToRgb(color));
    }
}
