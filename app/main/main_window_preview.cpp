// MainWindow: the player of the wave open dialog's preview. The selected file plays through the
// window's own output; the playable wave is made again from the sample before every Play and
// every wave save, so binding it to the previewed file loses nothing.
#include "main_window.h"

#include "pcm_support.h"
#include "wave_player.h"
#include "wave_preview.h"
#include "wave_source.h"

#include <QFile>

namespace vk350 {

std::unique_ptr<WavePreviewPlayer> MainWindow::CreatePreviewPlayer() {
    class Player : public WavePreviewPlayer {
    public:
        explicit Player(MainWindow& form) : form_(form) {}
        // The output plays the PCM the converter reads.
        bool Accepts(const WaveFormatEx& format) const override { return pcmIsValidFormat(&format); }
        void Play(const QString& path) override {
            form_.RunCommand([this, path] {
                form_.StopPlayback();
                WaveDocument& wave = form_.chainWave->Wave();
                wave.FreeWave();
                wave.SetFileName(QFile::encodeName(path).toStdString());
                form_.StartPlaying();
            });
        }
        void Stop() override {
            form_.RunCommand([this] { form_.StopPlayback(); });
        }
        bool IsPlaying() const override { return form_.chainOutput->IsOpen(); }

    private:
        MainWindow& form_;
    };
    return std::make_unique<Player>(*this);
}

} // namespace vk350
