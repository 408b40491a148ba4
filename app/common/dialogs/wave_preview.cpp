#include "wave_preview.h"

#include "byte_order.h"
#include "pcm_narrower.h"
#include "pcm_support.h"
#include "wave_document.h"
#include "wave_file_io.h"
#include "wave_problem.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace vk350 {

namespace {

constexpr int kColumns = 200;

std::string encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString formatName(const WaveFormatEx& w) {
    const SampleLayout l = sampleLayout(w);
    if (l.tag == WAVE_FORMAT_PCM)
        return QStringLiteral("PCM");
    if (l.tag == WAVE_FORMAT_IEEE_FLOAT)
        return QStringLiteral("IEEE Float");
    const std::string name = waveFormatName(l.tag);
    return name.empty() ? QStringLiteral("Format %1").arg(l.tag) : QString::fromStdString(name);
}

QString channelsText(unsigned channels) {
    return channels == 1   ? QStringLiteral("Mono")
           : channels == 2 ? QStringLiteral("Stereo")
                           : QStringLiteral("%1 Channels").arg(channels);
}

} // namespace

// The drawn waveform: one vertical line per column from its lowest to its highest value.
class WavePreview::WaveView : public QWidget {
public:
    explicit WaveView(const std::vector<std::pair<uint8_t, uint8_t>>& columns, QWidget* parent)
        : QWidget(parent), columns_(columns) {
        setMinimumSize(kColumns, 80);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        p.setPen(QColor(0, 200, 0));
        const int h = height() - 1;
        for (size_t i = 0; i < columns_.size(); ++i) {
            const int x = int(i * size_t(width()) / columns_.size());
            p.drawLine(x, h - columns_[i].first * h / 255, x, h - columns_[i].second * h / 255);
        }
    }

private:
    const std::vector<std::pair<uint8_t, uint8_t>>& columns_;
};

WavePreview::WavePreview(WavePreviewPlayer* player, QWidget* parent) : QWidget(parent), player_(player) {
    setObjectName(QStringLiteral("WavePreview"));
    auto* box = new QGroupBox(QStringLiteral("Vorschau"), this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(box);
    auto* column = new QVBoxLayout(box);
    view_ = new WaveView(columns_, box);
    column->addWidget(view_, 1);
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(new QLabel(QStringLiteral("Format:"), box));
    FormatText = new QLabel(box);
    FormatText->setWordWrap(true);
    formatRow->addWidget(FormatText, 1);
    column->addLayout(formatRow);
    auto* buttons = new QHBoxLayout;
    PlayButton = new QPushButton(QStringLiteral("Play"), box);
    PlayButton->setEnabled(false);
    AutoPlay = new QCheckBox(QStringLiteral("Auto Play"), box);
    buttons->addWidget(PlayButton);
    buttons->addWidget(AutoPlay);
    buttons->addStretch(1);
    column->addLayout(buttons);

    delay_ = new QTimer(this);
    delay_->setSingleShot(true);
    delay_->setInterval(kDelayMs);
    connect(delay_, &QTimer::timeout, this, [this] { Show(); });
    poll_ = new QTimer(this);
    poll_->setInterval(50);
    connect(poll_, &QTimer::timeout, this, [this] { Poll(); });
    connect(PlayButton, &QPushButton::clicked, this, [this] { PlayClicked(); });
}

WavePreview::~WavePreview() {
    if (playing_ && player_)
        player_->Stop();
}

void WavePreview::Select(const QString& path) {
    selected_ = path;
    delay_->start();
}

QString WavePreview::FormatLine(const QString& path) {
    PWAVEIOCB cb;
    if (QFileInfo(path).isFile() &&
        wioReadFileInfo(cb, encoded(path), fourcc("WAVE"), RIFF_FILE) == WIOERR_NOERROR) {
        const WaveFormatEx& w = cb->wfx;
        return QStringLiteral("%1 KB; %2; %3 Hz, %4 Bit, %5")
            .arg(cb->dwFileSize / 1024)
            .arg(formatName(w))
            .arg(w.nSamplesPerSec)
            .arg(w.wBitsPerSample)
            .arg(channelsText(w.nChannels));
    }
    return QStringLiteral("Unknown");
}

// The selection's waveform through the converter (8-bit mono at the file's own rate), so that
// every format the editor loads is drawn the way it will load.
void WavePreview::Show() {
    if (playing_ && player_) {
        player_->Stop();
        Poll();
    }
    shown_ = selected_;
    columns_.clear();
    FormatText->setText(FormatLine(shown_));
    bool playable = false;
    try {
        WaveDocument wave;
        wave.SetFileName(encoded(shown_));
        const WaveFormatEx source = *wave.GetPWaveFormat();
        WaveFormatEx mono;
        pcmBuildWaveHeader(&mono, 8, 1, source.nSamplesPerSec);
        const std::vector<uint8_t> bytes = wave.ConvertToBytes(&mono);
        const size_t n = bytes.size();
        for (size_t c = 0; n > 0 && c < size_t(kColumns); ++c) {
            const size_t from = c * n / kColumns, to = std::max(from + 1, (c + 1) * n / kColumns);
            if (from >= n)
                break;
            const auto [lo, hi] =
                std::minmax_element(bytes.begin() + long(from), bytes.begin() + long(std::min(to, n)));
            columns_.emplace_back(*lo, *hi);
        }
        playable = player_ && player_->Accepts(source);
    } catch (const std::exception&) {
        // Not a wave the editor reads: the line says "Unknown" or names the format; nothing drawn.
    }
    view_->update();
    PlayButton->setEnabled(playable);
    if (playable && AutoPlay->isChecked())
        PlayClicked();
}

void WavePreview::PlayClicked() {
    if (!player_)
        return;
    if (playing_) {
        player_->Stop();
        Poll();
        return;
    }
    player_->Play(shown_);
    playing_ = player_->IsPlaying();
    if (playing_) {
        PlayButton->setText(QStringLiteral("Stop"));
        poll_->start();
    }
}

// The output stops by itself at the end of the sound.
void WavePreview::Poll() {
    if (player_ && player_->IsPlaying())
        return;
    playing_ = false;
    poll_->stop();
    PlayButton->setText(QStringLiteral("Play"));
}

} // namespace vk350
