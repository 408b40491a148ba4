// OptionsWindow construction: the four pages and the start-up in its order.
#include "options_window.h"

#include "dialogs.h"
#include "part_names.h"
#include "pcm_support.h"
#include "qt_dispatcher.h"
#include "screen_fit.h"
#include "value_field.h"
#include "value_fields.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QRadioButton>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

namespace vk350 {

namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 340;

const char* const kGradientNames[] = {"LeftToRight",        "RightToLeft",         "TopToBottom",
                                      "BottomToTop",        "HorizCenterToBorder", "HorizBorderToCenter",
                                      "VertCenterToBorder", "VertBorderToCenter"};

const char* const kSwatchCaptions[kSwatchCount] = {"Back", "Lines",   "Text",     "Selection", "Markers",
                                                   "Axes", "Locator", "Gradient", "Axes 2"};

QLabel* makeCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

OptionsWindow::OptionsWindow(const OptionsLinks& links, QWidget* parent)
    : QDialog(parent), links_(links), sendBuffer_(kSendBufferSize, 0),
      receivedTurns_(std::make_unique<QtDispatcher>()) {
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_QuitOnClose, false);

    // The driver's own lines (a JACK server shut down, a port gone) belong on the Log page; they
    // come on any thread, and before the page exists.
    links_.midi.setLog([this](const std::string& line) {
        const QString text = QString::fromStdString(line);
        if (logMemo && QThread::currentThread() == thread())
            AddLog(text);
        else
            QMetaObject::invokeMethod(
                this, [this, text] { AddLog(text); }, Qt::QueuedConnection);
    });
    midiInput = std::make_unique<MidiInput>(links_.midi);
    midiOutput = std::make_unique<MidiOutput>(links_.midi);
    midiInput->OnSysEx = [this](MidiInput* sender, const uint8_t* message, int size) {
        MidiInputSysEx(sender, message, size);
    };

    pageTabs = new QTabWidget(this);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(pageTabs);
    pageTabs->addTab(CreateAudioPage(), QStringLiteral("Audio"));
    pageTabs->addTab(CreateMidiPage(), QStringLiteral("MIDI"));
    pageTabs->addTab(CreateLogPage(), QStringLiteral("Log"));
    pageTabs->addTab(CreateColorsPage(), QStringLiteral("Colors"));
    NameParts();

    ReadStartSettings();
}

void OptionsWindow::NameParts() {
    nameParts({{pageTabs, "pageTabs"},
               {audioOutChooser, "audioOutChooser"},
               {bufferCountField, "bufferCountField"},
               {bufferSizeLabel, "bufferSizeLabel"},
               {playbackGroup, "playbackGroup"},
               {normaliseBox, "normaliseBox"},
               {midiInChooser, "midiInChooser"},
               {midiOutChooser, "midiOutChooser"},
               {sysexDelayField, "sysexDelayField"},
               {timeOutField, "timeOutField"},
               {kvb9InputField, "kvb9InputField"},
               {kvb9MergeBox, "kvb9MergeBox"},
               {kvb9StartupBox, "kvb9StartupBox"},
               {kvb9SendButton, "kvb9SendButton"},
               {workFolderCaption, "workFolderCaption"},
               {workFolderLabel, "workFolderLabel"},
               {workFolderButton, "workFolderButton"},
               {logMemo, "logMemo"},
               {waveGradientChooser, "waveGradientChooser"},
               {bankGradientChooser, "bankGradientChooser"},
               {stepsWaveField, "stepsWaveField"},
               {stepsBankField, "stepsBankField"}});
    nameParts(rateButtons, "rateButtons");
    nameParts(playbackButtons, "playbackButtons");
    nameParts(conversionButtons, "conversionButtons");
    nameParts(swatchWave, "swatchWave");
    nameParts(swatchBank, "swatchBank");
}

OptionsWindow::~OptionsWindow() {
    // The input handler reaches this window: no delivery may run once the members start to go.
    midiInput->SetUsing(false);
    links_.midi.setLog({});
}

ValueField* OptionsWindow::CreateField(int min, int max, int value, const QString& hint) {
    auto* knob = new ValueField;
    knob->SetMin(min);
    knob->SetMax(max);
    knob->SetCursorRange(150);
    knob->SetAlwayDetect(false);
    knob->SetState(value);
    styleValueField(knob);
    knob->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    knob->setFixedSize(knob->fontMetrics().horizontalAdvance(QStringLiteral("99999")) + 12,
                       knob->fontMetrics().height() + 2);
    knob->setCursor(Qt::SizeVerCursor);
    if (!hint.isEmpty())
        knob->setToolTip(hint);
    return knob;
}

QWidget* OptionsWindow::CreateAudioPage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);

    auto* device = new QGroupBox(QStringLiteral("Audio Device Output"), page);
    auto* deviceRow = new QHBoxLayout(device);
    audioOutChooser = new QComboBox(device);
    deviceRow->addWidget(audioOutChooser);
    connect(audioOutChooser, &QComboBox::activated, this, [this](int entry) { AudioOutChange(entry); });
    column->addWidget(device);

    auto* rates = new QGroupBox(QStringLiteral(" Sample Rate "), page);
    auto* grid = new QGridLayout(rates);
    auto* group = new QButtonGroup(rates);
    for (size_t i = 0; i < kRates.size(); ++i) {
        rateButtons[i] = new QRadioButton(QStringLiteral("&%1 Hz").arg(kRates[i]), rates);
        grid->addWidget(rateButtons[i], int(i % 3), int(i / 3));
        group->addButton(rateButtons[i], int(i));
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int index) { RateClick(index); });
    column->addWidget(rates);

    auto* conversion = new QGroupBox(QStringLiteral("Conversion"), page);
    auto* conversionRow = new QHBoxLayout(conversion);
    auto* ways = new QButtonGroup(conversion);
    const char* const kWayNames[] = {"Exact", "Band-limited"};
    for (size_t i = 0; i < conversionButtons.size(); ++i) {
        conversionButtons[i] = new QRadioButton(QLatin1String(kWayNames[i]), conversion);
        conversionRow->addWidget(conversionButtons[i]);
        ways->addButton(conversionButtons[i], int(i));
    }
    conversionButtons[0]->setChecked(true);
    conversionButtons[1]->setToolTip(
        QStringLiteral("Filtered rate change and dithered 8 bits: best for hi-hats and cymbals"));
    normaliseBox = new QCheckBox(QStringLiteral("Normalise"), conversion);
    normaliseBox->setToolTip(QStringLiteral("Bring the peak to full scale before the 8-bit step"));
    conversionRow->addWidget(normaliseBox);
    conversionRow->addStretch(1);
    column->addWidget(conversion);

    // Kept out of sight; their logic runs all the same.
    auto* hidden = new QWidget(page);
    auto* hiddenRow = new QHBoxLayout(hidden);
    bufferCountField = CreateField(0, 9999, 100, {});
    bufferCountField->setParent(hidden);
    bufferCountField->OnChange = [this](ValueField&) { BufferCountChange(); };
    bufferSizeLabel = new QLabel(hidden);
    auto* playback = new QGroupBox(QStringLiteral(" Playback method"), hidden);
    playbackGroup = playback;
    auto* methods = new QHBoxLayout(playback);
    auto* methodGroup = new QButtonGroup(playback);
    const char* const kMethodNames[] = {"Window", "Thread", "Interrupt"};
    for (size_t i = 0; i < playbackButtons.size(); ++i) {
        playbackButtons[i] = new QRadioButton(QLatin1String(kMethodNames[i]), playback);
        methods->addWidget(playbackButtons[i]);
        methodGroup->addButton(playbackButtons[i], int(i));
    }
    connect(methodGroup, &QButtonGroup::idClicked, this, [this](int index) { PlaybackClick(index); });
    hiddenRow->addWidget(bufferCountField);
    hiddenRow->addWidget(bufferSizeLabel);
    hiddenRow->addWidget(playback);
    bufferCountField->hide();
    bufferSizeLabel->hide();
    playbackGroup->hide();
    column->addWidget(hidden);
    column->addStretch(1);
    return page;
}

QWidget* OptionsWindow::CreateMidiPage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);

    auto* devices = new QGroupBox(QStringLiteral("Devices"), page);
    auto* grid = new QGridLayout(devices);
    midiInChooser = new QComboBox(devices);
    midiOutChooser = new QComboBox(devices);
    grid->addWidget(makeCaption(QStringLiteral("In"), devices), 0, 0);
    grid->addWidget(midiInChooser, 0, 1, 1, 3);
    grid->addWidget(makeCaption(QStringLiteral("Out"), devices), 1, 0);
    grid->addWidget(midiOutChooser, 1, 1, 1, 3);
    sysexDelayField = CreateField(0, 999, 0, {});
    timeOutField = CreateField(0, 999, 20, QStringLiteral("MIDI Input Time Out Error Delay "));
    grid->addWidget(makeCaption(QStringLiteral("Sysex Send Delay"), devices), 2, 0, 1, 2);
    grid->addWidget(sysexDelayField, 2, 2);
    grid->addWidget(makeCaption(QStringLiteral("Time Out Delay "), devices), 3, 0, 1, 2);
    grid->addWidget(timeOutField, 3, 2);
    grid->setColumnStretch(3, 1);
    // The user's pick re-opens the ports; filling the lists from code does not.
    connect(midiInChooser, &QComboBox::activated, this, [this] { ChangePorts(); });
    connect(midiOutChooser, &QComboBox::activated, this, [this] { ChangePorts(); });
    column->addWidget(devices);

    auto* kvb9 = new QGroupBox(QStringLiteral("KVB9 Control"), page);
    auto* row = new QHBoxLayout(kvb9);
    kvb9InputField = CreateField(0, 7, 0, {});
    kvb9InputField->OnChange = [this](ValueField& knob) { SendShort(kvb9InputMessage(knob.State())); };
    kvb9MergeBox = new QCheckBox(QStringLiteral("Merge"), kvb9);
    connect(kvb9MergeBox, &QCheckBox::clicked, this, [this](bool on) { SendShort(kvb9MergeMessage(on)); });
    kvb9StartupBox = new QCheckBox(QStringLiteral("Startup Send"), kvb9);
    kvb9StartupBox->setChecked(true);
    kvb9SendButton = new QToolButton(kvb9);
    kvb9SendButton->setText(QStringLiteral("Send"));
    kvb9SendButton->setToolTip(QStringLiteral("Send KVB9 setup to MIDI"));
    connect(kvb9SendButton, &QToolButton::clicked, this, [this] { SendKVB9Setup(); });
    row->addWidget(makeCaption(QStringLiteral("Input"), kvb9));
    row->addWidget(kvb9InputField);
    row->addWidget(kvb9MergeBox);
    row->addWidget(kvb9StartupBox);
    row->addStretch(1);
    row->addWidget(kvb9SendButton);
    column->addWidget(kvb9);

    workFolderCaption = new QLabel(QStringLiteral("Temp folder"), page);
    QFont underlined = workFolderCaption->font();
    underlined.setUnderline(true);
    workFolderCaption->setFont(underlined);
    auto* folderRow = new QHBoxLayout;
    workFolderLabel = new QLabel(QStringLiteral("..."), page);
    workFolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    workFolderLabel->setMinimumWidth(1);
    workFolderButton = new QToolButton(page);
    workFolderButton->setText(QStringLiteral("..."));
    workFolderButton->setToolTip(QStringLiteral("Open File"));
    connect(workFolderButton, &QToolButton::clicked, this, [this] { SelectTempFolder(); });
    folderRow->addWidget(workFolderLabel, 1);
    folderRow->addWidget(workFolderButton);
    column->addWidget(workFolderCaption);
    column->addLayout(folderRow);
    column->addStretch(1);
    return page;
}

QWidget* OptionsWindow::CreateLogPage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    logMemo = new LogMemo(page);
    column->addWidget(logMemo);
    return page;
}

QWidget* OptionsWindow::CreateColorsPage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    auto* editors = new QGroupBox(QStringLiteral("Editors"), page);
    auto* grid = new QGridLayout(editors);
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel(QStringLiteral("Wave"), editors), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Bank"), editors), 0, 2, Qt::AlignHCenter);
    for (const Swatch row : kSwatches) {
        const auto r = static_cast<size_t>(row);
        grid->addWidget(makeCaption(QLatin1String(kSwatchCaptions[r]), editors), int(r) + 1, 0);
        for (const bool bank : {false, true}) {
            auto* swatch = new QToolButton(editors);
            swatch->setFixedSize(44, 14);
            swatch->setAutoRaise(false);
            connect(swatch, &QToolButton::clicked, this, [this, bank, row] { SwatchClick(bank, row); });
            grid->addWidget(swatch, int(r) + 1, bank ? 2 : 1);
            (bank ? swatchBank : swatchWave)[r] = swatch;
        }
    }
    grid->setColumnStretch(3, 1);
    column->addWidget(editors);

    auto* gradients = new QGridLayout;
    for (const bool bank : {false, true}) {
        auto* list = new QComboBox(page);
        for (const char* name : kGradientNames)
            list->addItem(QLatin1String(name));
        list->setCurrentIndex(-1);
        auto* steps = CreateField(1, 256, 100, QStringLiteral("X Range"));
        const int r = bank ? 1 : 0;
        gradients->addWidget(makeCaption(bank ? QStringLiteral("Ampl") : QStringLiteral("Wave"), page), r, 0);
        gradients->addWidget(list, r, 1);
        gradients->addWidget(steps, r, 2);
        connect(list, &QComboBox::activated, this,
                [this, bank](int type) { GradientTypeChange(bank, type); });
        steps->OnChange = [this, bank](ValueField& knob) { StepsChange(bank, knob.State()); };
        (bank ? bankGradientChooser : waveGradientChooser) = list;
        (bank ? stepsBankField : stepsWaveField) = steps;
    }
    gradients->setColumnStretch(3, 1);
    column->addLayout(gradients);
    column->addStretch(1);
    return page;
}

// The start-up, in its order.
void OptionsWindow::ReadStartSettings() {
    // The gradient lists are filled with the pages. First the looks, the visibility and the
    // temp folder.
    ReadLooks();
    // The MIDI lists, their stored entries, then the ports.
    FillMidiLists();
    readSettingsGroup(links_.store, SettingsGroup::Midi, settings_);
    if (settings_.midiIn >= 0 && settings_.midiIn < midiInChooser->count())
        midiInChooser->setCurrentIndex(settings_.midiIn);
    if (settings_.midiOut >= 0 && settings_.midiOut < midiOutChooser->count())
        midiOutChooser->setCurrentIndex(settings_.midiOut);
    OpenPorts();
    // The board's setup needs the ports open.
    if (kvb9StartupBox->isChecked())
        SendKVB9Setup();
    // The audio output list and buffers.
    BuildAudioList();
    // The sample format.
    RateClick(2);
    rateButtons[2]->setChecked(true);
    // The way of converting WAV files, stored after the values above.
    ReadConversion();
    // The work folder is worked out where it is used (WorkFolder).
    ShowTempFolder(workFolderLabel->text());

    moveToStoredCorner(this, settings_.left, settings_.top);
    keepOnScreenWhenShown(this, !links_.store.Exists());
    setVisible(settings_.shown);
}

WaveTarget waveTargetOf(const OptionsWindow* options) {
    WaveTarget target;
    if (options) {
        target.format = options->WaveFormat();
        target.conversion = options->Conversion();
    } else {
        pcmBuildWaveHeader(&target.format, 8, 1, 22050);
    }
    return target;
}

} // namespace vk350
