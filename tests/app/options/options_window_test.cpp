// The options window itself: its pages and controls, the stored values it applies and writes,
// the Colors page, the work folder, the Audio page, and keeping windows on a screen.
#include "options_fixture.h"

#include "drivers/virtual_wave_device.h"
#include "micro_clock.h"
#include "options_write_order.h"
#include "queue_dispatcher.h"
#include "screen_fit.h"
#include "value_field.h"
#include "wave_out_functions.h"
#include "wave_out_link.h"
#include "work_folder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

using namespace vk350;

TEST_F(OptionsTest, PagesAndControlsAsBuilt) {
    OptionsWindow& w = Open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "fixed size";
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    ASSERT_EQ(Part<QTabWidget>("pageTabs")->count(), 4);
    const QStringList pages = {"Audio", "MIDI", "Log", "Colors"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Part<QTabWidget>("pageTabs")->tabText(i), pages[i]);
    const QStringList rates = {"&8000 Hz", "&11025 Hz", "&22050 Hz", "&32000 Hz", "&44100 Hz", "&48000 Hz"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Part<QRadioButton>("rateButtons", i)->text(), rates[i]);
    EXPECT_TRUE(Part<QRadioButton>("rateButtons", 2)->isChecked());
    EXPECT_EQ(w.SampleRate(), 22050u);
    EXPECT_EQ(w.WaveFormat().nAvgBytesPerSec, 22050u);
    EXPECT_EQ(w.WaveFormat().nChannels, 1);
    EXPECT_EQ(w.WaveFormat().wBitsPerSample, 8);
    EXPECT_TRUE(Part<ValueField>("bufferCountField")->isHidden());
    EXPECT_TRUE(Part<QLabel>("bufferSizeLabel")->isHidden());
    EXPECT_TRUE(Part<QWidget>("playbackGroup")->isHidden());
    EXPECT_EQ(Part<ValueField>("kvb9InputField")->Max(), 7);
    EXPECT_EQ(Part<ValueField>("sysexDelayField")->Max(), 999);
    EXPECT_EQ(Part<ValueField>("timeOutField")->toolTip(),
              QStringLiteral("MIDI Input Time Out Error Delay "));
    EXPECT_EQ(Part<QToolButton>("kvb9SendButton")->toolTip(), QStringLiteral("Send KVB9 setup to MIDI"));
    EXPECT_EQ(Part<QToolButton>("workFolderButton")->toolTip(), QStringLiteral("Open File"));
    const LogMemo* logMemo = Part<LogMemo>("logMemo");
    EXPECT_EQ(logMemo->toolTip(), QStringLiteral("Double clic to clear ..."));
    EXPECT_TRUE(logMemo->isReadOnly());
    EXPECT_EQ(logMemo->palette().color(QPalette::Base), QColor(0, 0, 0x80));
    EXPECT_EQ(logMemo->palette().color(QPalette::Text), QColor(0, 0xFF, 0xFF));
    EXPECT_EQ(Part<ValueField>("stepsWaveField")->toolTip(), QStringLiteral("X Range"));
    const QStringList gradients = {"LeftToRight",        "RightToLeft",         "TopToBottom",
                                   "BottomToTop",        "HorizCenterToBorder", "HorizBorderToCenter",
                                   "VertCenterToBorder", "VertBorderToCenter"};
    for (QComboBox* list : {Part<QComboBox>("waveGradientChooser"), Part<QComboBox>("bankGradientChooser")}) {
        ASSERT_EQ(list->count(), 8);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(list->itemText(i), gradients[i]);
    }
    // Nothing stored: the lists show the types the controls draw with.
    EXPECT_EQ(Part<QComboBox>("waveGradientChooser")->currentIndex(), int(wave.GradientType()));
    EXPECT_EQ(Part<QComboBox>("bankGradientChooser")->currentIndex(), int(bank.SlotView(0).GradientType()));
    // The caption keeps its design text; both captions tell where the work files go.
    EXPECT_EQ(Part<QLabel>("workFolderLabel")->text(), QStringLiteral("..."));
    for (const QLabel* caption : {Part<QLabel>("workFolderCaption"), Part<QLabel>("workFolderLabel")})
        EXPECT_EQ(caption->toolTip(), QStringLiteral("Work files go to ") + effectiveWorkFolder("..."));
    EXPECT_FALSE(w.isVisible()) << "hidden by design";
}

TEST_F(OptionsTest, DoubleClickClearsTheLog) {
    Open();
    ASSERT_FALSE(Log().isEmpty());
    QTest::mouseDClick(Part<LogMemo>("logMemo")->viewport(), Qt::LeftButton);
    EXPECT_TRUE(Log().isEmpty());
}

TEST_F(OptionsTest, StoredLooksApplyAtStartUpExceptMarkers) {
    StoreLooks();
    store.Set("ColorMark", 0x0000FF);
    store.Set("BColorLine", 0x00FF00);
    store.Set("StepsGradient", 40);
    store.Set("GradientType", 0); // the first entry is a type like any other
    store.Set("BGradientType", 5);
    const BgrColor markers = wave.MarkerColor();
    Open();
    EXPECT_EQ(wave.Color(), 0x102030u);
    EXPECT_EQ(wave.LineColor(), 0x102030u);
    EXPECT_EQ(wave.MarkerColor(), markers) << "markers change only through their swatch";
    EXPECT_EQ(wave.GradientNbOfColors(), 40);
    EXPECT_EQ(wave.GradientType(), grxLeftToRight);
    EXPECT_EQ(Part<QComboBox>("waveGradientChooser")->currentIndex(), 0);
    EXPECT_EQ(panel.palette().color(QPalette::Window), QColor(0x30, 0x20, 0x10));
    for (int s = 0; s < 10; ++s) {
        EXPECT_EQ(bank.SlotView(s).LineColor(), 0x00FF00u);
        EXPECT_EQ(bank.SlotView(s).GradientType(), grxHorizBorderToCenter);
    }
    EXPECT_EQ(Part<QComboBox>("bankGradientChooser")->currentIndex(), 5);
    EXPECT_EQ(Part<ValueField>("stepsWaveField")->State(), 40);
}

TEST_F(OptionsTest, AnIncompleteFirstGroupAppliesNothingAndTheSwatchesShowTheControls) {
    StoreLooks();
    store.Remove("BColorWaveMinmax");
    store.Set("EN4", 1);
    const BgrColor back = wave.Color();
    wave.SetGradientType(grxVertBorderToCenter);
    OptionsWindow& w = Open();
    EXPECT_EQ(wave.Color(), back);
    EXPECT_EQ(Part<QComboBox>("waveGradientChooser")->currentIndex(), int(grxVertBorderToCenter))
        << "the type in use, not the one read";
    EXPECT_FALSE(w.isVisible()) << "EN4 is not read after the gap";
    // Written back, the colours keep the waveform as it looks (never button face on button face).
    w.WriteSettings();
    EXPECT_EQ(store.Value("BColorWaveMinmax").toLongLong(), qlonglong(bank.SlotView(0).Axes2Color()));
}

TEST_F(OptionsTest, SwatchesApplyAtOnceAndTextIsOnlyStored) {
    OptionsWindow& w = Open();
    struct Case {
        bool bankColumn;
        Swatch row;
        BgrColor color;
        std::function<BgrColor(const SampleView&)> read; // nullptr: nothing on the control
    };
    const std::vector<Case> cases = {
        {false, Swatch::Back, 0x010203, [](const SampleView& e) { return e.Color(); }},
        {false, Swatch::Lines, 0x040506, [](const SampleView& e) { return e.LineColor(); }},
        {false, Swatch::Selection, 0x070809, [](const SampleView& e) { return e.SelectionColor(); }},
        {false, Swatch::Markers, 0x0A0B0C, [](const SampleView& e) { return e.MarkerColor(); }},
        {false, Swatch::Axes, 0x0D0E0F, [](const SampleView& e) { return e.AxesColor(); }},
        {false, Swatch::Locator, 0x101112, [](const SampleView& e) { return e.LocatorColor(); }},
        {false, Swatch::Gradient, 0x131415, [](const SampleView& e) { return e.GradientColor(); }},
        {false, Swatch::Axes2, 0x161718, [](const SampleView& e) { return e.Axes2Color(); }},
        {true, Swatch::Lines, 0x191A1B, [](const SampleView& e) { return e.LineColor(); }},
        {true, Swatch::Markers, 0x1C1D1E, [](const SampleView& e) { return e.MarkerColor(); }},
        {true, Swatch::Back, 0x1F2021, [](const SampleView& e) { return e.Color(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.row) + (c.bankColumn ? 100 : 0));
        dialogs.colors.push_back(c.color);
        Part<QToolButton>(c.bankColumn ? "swatchBank" : "swatchWave", int(c.row))->click();
        if (c.bankColumn) {
            for (int s = 0; s < 10; ++s)
                EXPECT_EQ(c.read(bank.SlotView(s)), c.color);
            EXPECT_NE(c.read(wave), c.color);
        } else {
            EXPECT_EQ(c.read(wave), c.color);
            EXPECT_NE(c.read(bank.SlotView(0)), c.color);
        }
    }
    EXPECT_EQ(panel.palette().color(QPalette::Window), QColor(0x03, 0x02, 0x01))
        << "the panel takes Back too";

    // Text: the swatch and the stored value only.
    const WaveLook before = lookOf(wave);
    dialogs.colors.push_back(0x222222);
    Part<QToolButton>("swatchWave", int(Swatch::Text))->click();
    const WaveLook after = lookOf(wave);
    EXPECT_EQ(after.colors, before.colors);
    w.WriteSettings();
    EXPECT_EQ(store.Value("ColorWaveText").toInt(), 0x222222);
    EXPECT_EQ(store.Value("ColorLine").toInt(), 0x040506);
    EXPECT_EQ(store.Value("BColorBack").toInt(), 0x1F2021);

    // A cancelled colour dialog changes nothing.
    Part<QToolButton>("swatchWave", int(Swatch::Lines))->click();
    EXPECT_EQ(wave.LineColor(), 0x040506u);
}

TEST_F(OptionsTest, GradientListsAndStepKnobsSetTheirControls) {
    OptionsWindow& w = Open();
    QComboBox* waveGradientChooser = Part<QComboBox>("waveGradientChooser");
    QComboBox* bankGradientChooser = Part<QComboBox>("bankGradientChooser");
    ValueField* stepsBankField = Part<ValueField>("stepsBankField");
    ValueField* stepsWaveField = Part<ValueField>("stepsWaveField");
    waveGradientChooser->setCurrentIndex(4);
    emit waveGradientChooser->activated(4);
    EXPECT_EQ(wave.GradientType(), grxHorizCenterToBorder);
    bankGradientChooser->setCurrentIndex(0);
    emit bankGradientChooser->activated(0);
    for (int s = 0; s < 10; ++s)
        EXPECT_EQ(bank.SlotView(s).GradientType(), grxLeftToRight);
    stepsBankField->SetState(17);
    stepsBankField->OnChange(*stepsBankField);
    EXPECT_EQ(bank.SlotView(9).GradientNbOfColors(), 17);
    stepsWaveField->SetState(200);
    stepsWaveField->OnChange(*stepsWaveField);
    EXPECT_EQ(wave.GradientNbOfColors(), 200);
    w.WriteSettings();
    EXPECT_EQ(store.Value("GradientType").toInt(), 4);
    EXPECT_EQ(store.Value("BGradientType").toInt(), 0);
    EXPECT_EQ(store.Value("BStepsGradient").toInt(), 17);
    EXPECT_EQ(store.Value("StepsGradient").toInt(), 200);
}

TEST_F(OptionsTest, CloseBoxHidesWritesAndClearsTheCheckMark) {
    StoreLooks();
    store.Set("EN4", 1);
    store.Set("TempPath", "...");
    std::vector<bool> marks;
    OptionsWindow& w = Open();
    w.OnMenuCheck = [&](bool on) { marks.push_back(on); };
    EXPECT_TRUE(w.isVisible()) << "EN4 shows the window at start";
    store.writes.clear();
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(store.writes, OptionsWriteOrder());
    EXPECT_EQ(store.Value("EN4").toInt(), 0);
    EXPECT_EQ(store.flushes, 1);
    ASSERT_FALSE(marks.empty());
    EXPECT_FALSE(marks.back());
    w.show();
    EXPECT_TRUE(marks.back());
}

TEST_F(OptionsTest, TempFolderIsChosenThroughTheOpenDialogAndStoredAsChosen) {
    QTemporaryDir chosen;
    OptionsWindow& w = Open();
    QToolButton* workFolderButton = Part<QToolButton>("workFolderButton");
    const QLabel* workFolderLabel = Part<QLabel>("workFolderLabel");
    dialogs.Answer(chosen.path() + QStringLiteral("/*.*"), 3);
    workFolderButton->click();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const FileDialogRequest& r = dialogs.openRequests.front();
    EXPECT_EQ(r.title, QStringLiteral("Select Temp Folder"));
    EXPECT_EQ(r.fileName, QStringLiteral("*.*"));
    EXPECT_EQ(r.filterIndex, 3);
    EXPECT_TRUE(r.acceptAnyName);
    EXPECT_TRUE(r.chooseFolder);
    EXPECT_EQ(workFolderLabel->text(), chosen.path() + "/");
    EXPECT_EQ(w.WorkFileName(), chosen.path() + "/convertspl.raw");
    w.WriteSettings();
    EXPECT_EQ(store.Value("TempPath").toString(), chosen.path() + "/");

    // A cancelled dialog keeps the folder.
    workFolderButton->click();
    EXPECT_EQ(workFolderLabel->text(), chosen.path() + "/");
}

TEST(WorkFolder, UnusableCaptionsSendWorkFilesToAPerUserFolder) {
    QTemporaryDir writable;
    QTemporaryDir locked;
    QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString perUser = effectiveWorkFolder(QStringLiteral("..."));
    ASSERT_FALSE(perUser.isEmpty());
    EXPECT_TRUE(perUser.endsWith('/'));
    EXPECT_TRUE(QFileInfo(perUser).isDir());
    EXPECT_TRUE(QFileInfo(perUser).isWritable());
    struct Case {
        QString caption;
        QString folder;
    };
    const bool root = QFileInfo(locked.path()).isWritable(); // root writes anywhere
    const std::vector<Case> cases = {
        {"...", perUser},
        {"", perUser},
        {"   ", perUser},
        {writable.path() + "/", writable.path() + "/"},
        {writable.path(), writable.path() + "/"},
        {writable.path() + "/missing/", perUser},
        {locked.path() + "/", root ? locked.path() + "/" : perUser},
    };
    for (const Case& c : cases)
        EXPECT_EQ(effectiveWorkFolder(c.caption), c.folder) << c.caption.toStdString();
    QFile::setPermissions(locked.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    EXPECT_EQ(folderPartOf("/a/b/c.bin"), QStringLiteral("/a/b/"));
    EXPECT_EQ(folderPartOf("/a/b/*.*"), QStringLiteral("/a/b/"));
    EXPECT_EQ(folderPartOf("c.bin"), QString());
}

TEST_F(OptionsTest, AudioPageListsDevicesAndSetsTheOutput) {
    store.Set("AudioBufsz", 50);
    store.Set("AudioOUT", 2);
    OptionsWindow& w = Open();
    QComboBox* audioOutChooser = Part<QComboBox>("audioOutChooser");
    ValueField* bufferCountField = Part<ValueField>("bufferCountField");
    ASSERT_EQ(audioOutChooser->count(), 3) << "the default device and both devices";
    EXPECT_EQ(audioOutChooser->itemText(0), QStringLiteral("Default output"));
    EXPECT_EQ(audioOutChooser->itemText(2), QStringLiteral("Card 1"));
    EXPECT_EQ(audioOutChooser->currentIndex(), 2);
    EXPECT_EQ(waveOut.deviceId, 1);
    EXPECT_EQ(w.TotalBufferSize(), 2048 * 50);
    EXPECT_EQ(Part<QLabel>("bufferSizeLabel")->text(), QStringLiteral("100 Kb - 4.64 seconds"));
    EXPECT_TRUE(Part<QRadioButton>("playbackButtons", 0)->isChecked());
    EXPECT_FALSE(Part<QRadioButton>("playbackButtons", 2)->isEnabled())
        << "interrupt callbacks are not offered";

    audioOutChooser->setCurrentIndex(0);
    emit audioOutChooser->activated(0);
    EXPECT_EQ(waveOut.deviceId, -1) << "entry 0 is the default device";
    EXPECT_EQ(waveOut.numBuffers, 50);

    bufferCountField->SetState(10);
    bufferCountField->OnChange(*bufferCountField);
    EXPECT_EQ(w.TotalBufferSize(), 20480);
    Part<QRadioButton>("rateButtons", 5)->click();
    EXPECT_EQ(w.SampleRate(), 48000u);
    EXPECT_EQ(w.WaveFormat().nAvgBytesPerSec, 48000u);
    EXPECT_EQ(Part<QLabel>("bufferSizeLabel")->text(), QStringLiteral("20 Kb - 0.43 seconds"));
    Part<QRadioButton>("playbackButtons", 1)->click();
    EXPECT_EQ(waveOut.method, PlaybackMethod::Thread);
    w.WriteSettings();
    EXPECT_EQ(store.Value("AudioOUT").toInt(), 0);
    EXPECT_EQ(store.Value("AudioBufsz").toInt(), 10);
}

// The way WAV files are converted: stored after the other values, a missing value keeping the
// default, Exact without normalising.
TEST_F(OptionsTest, ConversionChoiceOnTheAudioPage) {
    struct Case {
        const char* what;
        QVariant conversion; // invalid: not stored
        QVariant normalise;
        ConversionOptions shown;
    };
    const Case cases[] = {
        {"nothing stored", {}, {}, {}},
        {"band-limited, normalised", 1, 1, {ConversionQuality::BandLimited, true}},
        {"exact, normalised", 0, 1, {ConversionQuality::Exact, true}},
        {"normalise missing", 1, {}, {ConversionQuality::BandLimited, false}},
        {"conversion missing ends the group", {}, 1, {}},
        {"a number that names no way", 7, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store.Set("PX4", 1); // the key exists
        store.Remove("Conversion");
        store.Remove("Normalise");
        if (c.conversion.isValid())
            store.Set("Conversion", c.conversion);
        if (c.normalise.isValid())
            store.Set("Normalise", c.normalise);
        OptionsWindow& w = Open();
        EXPECT_EQ(Part<QRadioButton>("conversionButtons", 0)->text(), QStringLiteral("Exact"));
        EXPECT_EQ(Part<QRadioButton>("conversionButtons", 1)->text(), QStringLiteral("Band-limited"));
        EXPECT_EQ(Part<QCheckBox>("normaliseBox")->text(), QStringLiteral("Normalise"));
        EXPECT_TRUE(w.Conversion() == c.shown);
        EXPECT_EQ(Part<QRadioButton>("conversionButtons", 1)->isChecked(),
                  c.shown.quality == ConversionQuality::BandLimited);

        // The other choice, written as the new values after the existing ones.
        Part<QRadioButton>("conversionButtons", c.shown.quality == ConversionQuality::Exact ? 1 : 0)->click();
        Part<QCheckBox>("normaliseBox")->click();
        w.WriteSettings();
        EXPECT_EQ(store.Value("Conversion").toInt(), c.shown.quality == ConversionQuality::Exact ? 1 : 0);
        EXPECT_EQ(store.Value("Normalise").toInt(), c.shown.normalise ? 0 : 1);
        EXPECT_EQ(store.writes.mid(store.writes.size() - 3),
                  (QStringList{"AudioBufsz", "Conversion", "Normalise"}));
        store.writes.clear();
    }
    // The group fits on the fixed-size page.
    form->show();
    const QWidget* box = Part<QCheckBox>("normaliseBox")->parentWidget();
    EXPECT_LE(box->mapTo(form.get(), QPoint(0, box->height())).y(), form->height());
}

TEST_F(OptionsTest, AudioListFailuresAndEmptyDeviceLists) {
    waveOut.failList = true;
    Open();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(waveOut.deviceId, 0) << "the output falls back to device 0";
    form.reset();

    waveOut.failList = false;
    waveOut.devices = 0;
    store.Set("AudioBufsz", 0);
    store.Set("AudioOUT", 1);
    waveOut.numBuffers = 7;
    Open();
    EXPECT_EQ(Part<QComboBox>("audioOutChooser")->count(), 0);
    EXPECT_EQ(Part<ValueField>("bufferCountField")->State(), 7) << "a count of 0 takes the output's own";
    form.reset();

    // A stored entry one past the list (a card since removed) leaves the output where it was.
    waveOut.devices = 2;
    waveOut.deviceId = 5;
    store.Set("AudioOUT", 3);
    Open();
    EXPECT_EQ(Part<QComboBox>("audioOutChooser")->count(), 3);
    EXPECT_EQ(waveOut.deviceId, 5);
}

TEST(ScreenFit, FramesMoveJustEnoughOntoTheNearestScreen) {
    const QList<QRect> one = {QRect(0, 0, 1920, 1040)};
    const QList<QRect> two = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 984)};
    struct Case {
        const char* what;
        QRect frame;
        QList<QRect> screens;
        QPoint place;
    };
    const Case cases[] = {
        {"inside stays", QRect(100, 100, 400, 300), one, QPoint(100, 100)},
        {"options design place", QRect(7, 818, 440, 370), one, QPoint(7, 670)},
        {"bank design place", QRect(104, 842, 1000, 300), one, QPoint(104, 740)},
        {"off the left", QRect(-50, 10, 400, 300), one, QPoint(0, 10)},
        {"far off, nothing overlaps", QRect(5000, 5000, 400, 300), one, QPoint(1520, 740)},
        {"larger than the screen", QRect(-10, -10, 3000, 2000), one, QPoint(0, 0)},
        {"across two screens goes to the one it overlaps most", QRect(1800, 100, 400, 300), two,
         QPoint(1920, 100)},
        {"on the second screen stays", QRect(2000, 100, 400, 300), two, QPoint(2000, 100)},
        {"below the shorter second screen", QRect(2000, 900, 400, 300), two, QPoint(2000, 684)},
        {"no screens", QRect(7, 818, 440, 370), {}, QPoint(7, 818)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fitFrameOnScreens(c.frame, c.screens).topLeft(), c.place) << c.what;
}

TEST_F(OptionsTest, TheOptionsWindowComesUpOnScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area.height(), 1080) << "the tests' screen is a common desktop's";
    StoreLooks();
    store.Set("PX4", 7);
    store.Set("PY4", 818); // the design place: the frame's foot would hang below the screen
    store.Set("EN4", 1);
    store.Set("TempPath", "...");
    OptionsWindow& w = Open();
    EXPECT_TRUE(area.contains(w.frameGeometry())) << w.frameGeometry().y();
    EXPECT_EQ(w.frameGeometry().bottom(), area.bottom()) << "moved up just enough";
    // Moved only as far as needed: across, it stays where it was (give or take the frame).
    EXPECT_LE(std::abs(w.frameGeometry().x() - 7), 8);
}

TEST_F(OptionsTest, AudioPageOverTheRealWaveOutput) {
    ManualMicroClock clock;
    VirtualWaveDevice device(clock);
    device.setDeviceCount(2);
    QueueDispatcher dispatcher;
    WavePlayer out(device, dispatcher);
    out.SetDeviceID(WAVE_MAPPER);
    WaveOutLink link(out, device);
    store.Set("AudioBufsz", 20);
    store.Set("AudioOUT", 2);
    form = std::make_unique<OptionsWindow>(
        OptionsLinks{store, dialogs, *driver, wave, &panel, bank, patterns, link});
    OptionsWindow& w = *form;
    QComboBox* audioOutChooser = Part<QComboBox>("audioOutChooser");
    ASSERT_EQ(audioOutChooser->count(), 3);
    EXPECT_EQ(audioOutChooser->itemText(0).toStdString(), WaveOutGetDeviceName(device, WAVE_MAPPER));
    EXPECT_EQ(audioOutChooser->itemText(2).toStdString(), WaveOutGetDeviceName(device, 1));
    EXPECT_EQ(out.DeviceID(), 1) << "the stored entry chose device 1";
    EXPECT_EQ(w.TotalBufferSize(), int(out.GetBufferSize()) * 20);
    EXPECT_TRUE(Part<QRadioButton>("playbackButtons", 0)->isChecked());
    EXPECT_FALSE(Part<QRadioButton>("playbackButtons", 2)->isEnabled());

    audioOutChooser->setCurrentIndex(0);
    emit audioOutChooser->activated(0);
    EXPECT_EQ(out.DeviceID(), WAVE_MAPPER);
    EXPECT_EQ(out.NumBuffers(), 20);
    Part<QRadioButton>("playbackButtons", 1)->click();
    EXPECT_EQ(out.CallBackMode(), cmThread);
    Part<QRadioButton>("playbackButtons", 0)->click();
    EXPECT_EQ(out.CallBackMode(), cmWindow);
    form.reset();
}
