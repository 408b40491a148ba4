// The preview beside the wave open dialog: the "Format:" line of the selected file, its waveform
// drawn 50 ms after the selection changes (so that running through a folder with the arrow keys
// reads only where the user stops), "Play" (reading "Stop" while playing) when the output takes
// the format, and "Auto Play". Window thread only.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace vk350 {

struct WaveFormatEx;

// What plays a selected file: the main window's output.
class WavePreviewPlayer {
public:
    virtual ~WavePreviewPlayer() = default;
    virtual bool Accepts(const WaveFormatEx& format) const = 0;
    virtual void Play(const QString& path) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;
};

class WavePreview : public QWidget {
public:
    // player may be null: nothing plays.
    explicit WavePreview(WavePreviewPlayer* player, QWidget* parent = nullptr);
    ~WavePreview() override;

    // The dialog's current file changed; the preview follows after the delay.
    void Select(const QString& path);

    // "12 KB; PCM; 22050 Hz, 16 Bit, Stereo", or "Unknown" for a file that is no readable wave.
    static QString FormatLine(const QString& path);

    static constexpr int kDelayMs = 50;

    // The parts, for tests.
    QLabel* FormatText = nullptr;
    QPushButton* PlayButton = nullptr;
    QCheckBox* AutoPlay = nullptr;
    // Lowest and highest 8-bit value of each drawn column; empty when nothing is drawn.
    const std::vector<std::pair<uint8_t, uint8_t>>& Columns() const { return columns_; }

private:
    class WaveView;

    void Show();
    void PlayClicked();
    void Poll();

    WavePreviewPlayer* player_;
    WaveView* view_ = nullptr;
    QTimer* delay_ = nullptr;
    QTimer* poll_ = nullptr;
    QString selected_;
    QString shown_;
    bool playing_ = false;
    std::vector<std::pair<uint8_t, uint8_t>> columns_;
};

} // namespace vk350
