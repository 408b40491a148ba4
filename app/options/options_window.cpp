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

    FormCreate();
}

void OptionsWindow::NameParts() {
    nameParts({{pageTabs, "pageTabs"},
               {cbAudioOut, "cbAudioOut"},
               {potBufferCount, "potBufferCount"},
               {lbBufferSize, "lbBufferSize"},
               {gbPlayback, "gbPlayback"},
               {cbNormalise, "cbNormalise"},
               {cbMidiIn, "cbMidiIn"},
               {cbMidiOut, "cbMidiOut"},
               {potSysexDelay, "potSysexDelay"},
               {potTimeOut, "potTimeOut"},
               {potKvb9Input, "potKvb9Input"},
               {cbKvb9Merge, "cbKvb9Merge"},
               {cbKvb9Startup, "cbKvb9Startup"},
               {btnKvb9Send, "btnKvb9Send"},
               {lbTempFolder, "lbTempFolder"},
               {lbCheminTemp, "lbCheminTemp"},
               {btnTempFolder, "btnTempFolder"},
               {logMemo, "logMemo"},
               {cbGradientWave, "cbGradientWave"},
               {cbGradientBank, "cbGradientBank"},
               {potStepsWave, "potStepsWave"},
               {potStepsBank, "potStepsBank"}});
    nameParts(rbRate, "rbRate");
    nameParts(rbPlayback, "rbPlayback");
    nameParts(rbConversion, "rbConversion");
    nameParts(swatchWave, "swatchWave");
    nameParts(swatchBank, "swatchBank");
}

OptionsWindow::~OptionsWindow() {
    // The input handler reaches this window: no delivery may run once the members start to go.
    midiInput->SetUsing(false);
    links_.midi.setLog({});
}

ValueField* OptionsWindow::CreateKnob(int min, int max, int value, const QString& hint) {
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
    cbAudioOut = new QComboBox(device);
    deviceRow->addWidget(cbAudioOut);
    connect(cbAudioOut, &QComboBox::activated, this, [this](int entry) { AudioOutChange(entry); });
    column->addWidget(device);

    auto* rates = new QGroupBox(QStringLiteral(" Sample Rate "), page);
    auto* grid = new QGridLayout(rates);
    auto* group = new QButtonGroup(rates);
    for (size_t i = 0; i < kRates.size(); ++i) {
        rbRate[i] = new QRadioButton(QStringLiteral("&%1 Hz").arg(kRates[i]), rates);
        grid->addWidget(rbRate[i], int(i % 3), int(i / 3));
        group->addButton(rbRate[i], int(i));
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int index) { RateClick(index); });
    column->addWidget(rates);

    auto* conversion = new QGroupBox(QStringLiteral("Conversion"), page);
    auto* conversionRow = new QHBoxLayout(conversion);
    auto* ways = new QButtonGroup(conversion);
    const char* const kWayNames[] = {"Exact", "Band-limited"};
    for (size_t i = 0; i < rbConversion.size(); ++i) {
        rbConversion[i] = new QRadioButton(QLatin1String(kWayNames[i]), conversion);
        conversionRow->addWidget(rbConversion[i]);
        ways->addButton(rbConversion[i], int(i));
    }
    rbConversion[0]->setChecked(true);
    rbConversion[1]->setToolTip(
        QStringLiteral("Filtered rate change and dithered 8 bits: best for hi-hats and cymbals"));
    cbNormalise = new QCheckBox(QStringLiteral("Normalise"), conversion);
    cbNormalise->setToolTip(QStringLiteral("Bring the peak to full scale before the 8-bit step"));
    conversionRow->addWidget(cbNormalise);
    conversionRow->addStretch(1);
    column->addWidget(conversion);

    // Kept out of sight; their logic runs all the same.
    auto* hidden = new QWidget(page);
    auto* hiddenRow = new QHBoxLayout(hidden);
    potBufferCount = CreateKnob(0, 9999, 100, {});
    potBufferCount->setParent(hidden);
    potBufferCount->OnChange = [this](ValueField&) { BufferCountChange(); };
    lbBufferSize = new QLabel(hidden);
    auto* playback = new QGroupBox(QStringLiteral(" Playback method"), hidden);
    gbPlayback = playback;
    auto* methods = new QHBoxLayout(playback);
    auto* methodGroup = new QButtonGroup(playback);
    const char* const kMethodNames[] = {"Window", "Thread", "Interrupt"};
    for (size_t i = 0; i < rbPlayback.size(); ++i) {
        rbPlayback[i] = new QRadioButton(QLatin1String(kMethodNames[i]), playback);
        methods->addWidget(rbPlayback[i]);
        methodGroup->addButton(rbPlayback[i], int(i));
    }
    connect(methodGroup, &QButtonGroup::idClicked, this, [this](int index) { PlaybackClick(index); });
    hiddenRow->addWidget(potBufferCount);
    hiddenRow->addWidget(lbBufferSize);
    hiddenRow->addWidget(playback);
    potBufferCount->hide();
    lbBufferSize->hide();
    gbPlayback->hide();
    column->addWidget(hidden);
    column->addStretch(1);
    return page;
}

QWidget* OptionsWindow::CreateMidiPage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);

    auto* devices = new QGroupBox(QStringLiteral("Devices"), page);
    auto* grid = new QGridLayout(devices);
    cbMidiIn = new QComboBox(devices);
    cbMidiOut = new QComboBox(devices);
    grid->addWidget(makeCaption(QStringLiteral("In"), devices), 0, 0);
    grid->addWidget(cbMidiIn, 0, 1, 1, 3);
    grid->addWidget(makeCaption(QStringLiteral("Out"), devices), 1, 0);
    grid->addWidget(cbMidiOut, 1, 1, 1, 3);
    potSysexDelay = CreateKnob(0, 999, 0, {});
    potTimeOut = CreateKnob(0, 999, 20, QStringLiteral("MIDI Input Time Out Error Delay "));
    grid->addWidget(makeCaption(QStringLiteral("Sysex Send Delay"), devices), 2, 0, 1, 2);
    grid->addWidget(potSysexDelay, 2, 2);
    grid->addWidget(makeCaption(QStringLiteral("Time Out Delay "), devices), 3, 0, 1, 2);
    grid->addWidget(potTimeOut, 3, 2);
    grid->setColumnStretch(3, 1);
    // The user's pick re-opens the ports; filling the lists from code does not.
    connect(cbMidiIn, &QComboBox::activated, this, [this] { ChangePorts(); });
    connect(cbMidiOut, &QComboBox::activated, this, [this] { ChangePorts(); });
    column->addWidget(devices);

    auto* kvb9 = new QGroupBox(QStringLiteral("KVB9 Control"), page);
    auto* row = new QHBoxLayout(kvb9);
    potKvb9Input = CreateKnob(0, 7, 0, {});
    potKvb9Input->OnChange = [this](ValueField& knob) { SendShort(kvb9InputMessage(knob.State())); };
    cbKvb9Merge = new QCheckBox(QStringLiteral("Merge"), kvb9);
    connect(cbKvb9Merge, &QCheckBox::clicked, this, [this](bool on) { SendShort(kvb9MergeMessage(on)); });
    cbKvb9Startup = new QCheckBox(QStringLiteral("Startup Send"), kvb9);
    cbKvb9Startup->setChecked(true);
    btnKvb9Send = new QToolButton(kvb9);
    btnKvb9Send->setText(QStringLiteral("Send"));
    btnKvb9Send->setToolTip(QStringLiteral("Send KVB9 setup to MIDI"));
    connect(btnKvb9Send, &QToolButton::clicked, this, [this] { SendKVB9Setup(); });
    row->addWidget(makeCaption(QStringLiteral("Input"), kvb9));
    row->addWidget(potKvb9Input);
    row->addWidget(cbKvb9Merge);
    row->addWidget(cbKvb9Startup);
    row->addStretch(1);
    row->addWidget(btnKvb9Send);
    column->addWidget(kvb9);

    lbTempFolder = new QLabel(QStringLiteral("Temp folder"), page);
    QFont underlined = lbTempFolder->font();
    underlined.setUnderline(true);
    lbTempFolder->setFont(underlined);
    auto* folderRow = new QHBoxLayout;
    lbCheminTemp = new QLabel(QStringLiteral("..."), page);
    lbCheminTemp->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbCheminTemp->setMinimumWidth(1);
    btnTempFolder = new QToolButton(page);
    btnTempFolder->setText(QStringLiteral("..."));
    btnTempFolder->setToolTip(QStringLiteral("Open File"));
    connect(btnTempFolder, &QToolButton::clicked, this, [this] { SelectTempFolder(); });
    folderRow->addWidget(lbCheminTemp, 1);
    folderRow->addWidget(btnTempFolder);
    column->addWidget(lbTempFolder);
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
        auto* steps = CreateKnob(1, 256, 100, QStringLiteral("X Range"));
        const int r = bank ? 1 : 0;
        gradients->addWidget(makeCaption(bank ? QStringLiteral("Ampl") : QStringLiteral("Wave"), page), r, 0);
        gradients->addWidget(list, r, 1);
        gradients->addWidget(steps, r, 2);
        connect(list, &QComboBox::activated, this,
                [this, bank](int type) { GradientTypeChange(bank, type); });
        steps->OnChange = [this, bank](ValueField& knob) { StepsChange(bank, knob.State()); };
        (bank ? cbGradientBank : cbGradientWave) = list;
        (bank ? potStepsBank : potStepsWave) = steps;
    }
    gradients->setColumnStretch(3, 1);
    column->addLayout(gradients);
    column->addStretch(1);
    return page;
}

// The start-up, in its order.
void OptionsWindow::FormCreate() {
    // The gradient lists are filled with the pages. First the looks, the visibility and the
    // temp folder.
    ReadLooks();
    // The MIDI lists, their stored entries, then the ports.
    FillMidiLists();
    readSettingsGroup(links_.store, SettingsGroup::Midi, settings_);
    if (settings_.midiIn >= 0 && settings_.midiIn < cbMidiIn->count())
        cbMidiIn->setCurrentIndex(settings_.midiIn);
    if (settings_.midiOut >= 0 && settings_.midiOut < cbMidiOut->count())
        cbMidiOut->setCurrentIndex(settings_.midiOut);
    OpenPorts();
    // The board's setup needs the ports open.
    if (cbKvb9Startup->isChecked())
        SendKVB9Setup();
    // The audio output list and buffers.
    BuildAudioList();
    // The sample format.
    RateClick(2);
    rbRate[2]->setChecked(true);
    // The way of converting WAV files, stored after the values above.
    ReadConversion();
    // The work folder is worked out where it is used (WorkFolder).
    ShowTempFolder(lbCheminTemp->text());

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
