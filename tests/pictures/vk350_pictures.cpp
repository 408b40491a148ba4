// Draws the README's pictures: the main window with a sample loaded, the analysis panel and the
// meters shown while it plays, and the sample bank window with its slots filled. It runs on the
// offscreen platform with its own settings folder and samples, so the pictures follow the
// windows as they change.
//
//   vk350_pictures OUTPUT_FOLDER
#include "bank_window.h"
#include "drivers/virtual_wave_device.h"
#include "main_window.h"
#include "main_window_parts.h"
#include "qt_dialogs.h"
#include "queue_dispatcher.h"
#include "queue_pump.h"
#include "sample_view.h"
#include "settings_store.h"
#include "virtual_main_audio.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace vk350;

namespace {

// A drum-like hit: a falling sine sweep with a noisy attack, decaying, in offset binary.
std::vector<uint8_t> Hit(size_t n, double startHz, double endHz, double noise, unsigned seed) {
    std::vector<uint8_t> bytes(n);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / n;
        phase += 2 * M_PI * (endHz + (startHz - endHz) * std::exp(-8 * t)) / 22050;
        seed = seed * 1103515245u + 12345u;
        const double hiss = noise * (double((seed >> 16) & 0x7FFF) / 16384.0 - 1) * std::exp(-30 * t);
        const double v = (std::sin(phase) + hiss) * std::exp(-4 * t);
        bytes[i] = uint8_t(std::lround(128 + 110 * std::clamp(v, -1.0, 1.0)));
    }
    return bytes;
}

bool Save(QWidget& window, const QString& path) {
    if (window.grab().save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir home;
    setenv("XDG_CONFIG_HOME", home.path().toLocal8Bit().constData(), 1);
    setenv("XDG_CACHE_HOME", home.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vk350_pictures OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    VirtualMainAudio sound;
    QtSettingsStore store;
    QtDialogs dialogs;
    MainWindow main{dialogs, &store, &sound.audio};
    BankWindow bank{store, dialogs};
    main.SetBankWindow(&bank);

    const std::vector<uint8_t> kick = Hit(22050, 180, 45, 0.6, 1);
    const QString kickFile = home.filePath(QStringLiteral("kick.bin"));
    QFile file(kickFile);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(kick.data()), qint64(kick.size())) != qint64(kick.size()))
        return 1;
    file.close();
    main.show();
    main.resize(1136, 651);
    main.OpenSampleFile(kickFile);
    findAction(main, "showRtSpectrumItem")->trigger();
    findAction(main, "showVuMetersItem")->trigger();
    // A third of the sample played so that the views have something to show.
    findAction(main, "playItem")->trigger();
    for (int ms = 0; ms < 330; ++ms) {
        sound.Step();
        if (ms % 16 == 0)
            QApplication::processEvents();
    }
    QApplication::processEvents();
    bool ok = Save(main, out + QStringLiteral("/main-window.png"));
    findAction(main, "playItem")->trigger();

    const double tunes[][3] = {{180, 45, 0.6}, {900, 200, 3}, {1500, 600, 2},  {8000, 6000, 4},
                               {600, 300, 1},  {400, 220, 1}, {260, 110, 0.5}, {5000, 3000, 5},
                               {2000, 800, 4}, {700, 350, 1}};
    for (int slot = 0; slot < 10; ++slot) {
        const std::vector<uint8_t> b =
            Hit(8192 + 2048 * slot, tunes[slot][0], tunes[slot][1], tunes[slot][2], unsigned(slot + 2));
        SampleView& e = bank.SlotView(slot);
        e.Sample().LoadFromBuffer(b.data(), int(b.size()));
        e.SetSampleLen(int(b.size()));
        e.SetZoom(int(b.size()) / std::max(1, e.width() - 1) + 1);
    }
    bank.show();
    QApplication::processEvents();
    ok = Save(bank, out + QStringLiteral("/bank-window.png")) && ok;
    return ok ? 0 : 1;
}
