// Entry point of the widget and window tests: the offscreen platform, a throw-away HOME and
// settings folder, and a check that a font with Latin glyphs exists (without one Qt draws
// empty boxes and text measurements silently go wrong).
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot create a temporary home folder\n");
        return 1;
    }
    const QByteArray homePath = home.path().toLocal8Bit();
    const QByteArray configPath = homePath + "/.config";
    setenv("HOME", homePath.constData(), 1);
    setenv("XDG_CONFIG_HOME", configPath.constData(), 1);
    setenv("XDG_DATA_HOME", (homePath + "/.local/share").constData(), 1);
    setenv("XDG_RUNTIME_DIR", homePath.constData(), 1);
    // The offscreen platform's own screen is 800 x 600; the windows are laid out for a common
    // desktop, so the tests get one screen of 1920 x 1080.
    const char* platform = getenv("QT_QPA_PLATFORM");
    if (!platform || QByteArray(platform) == "offscreen") {
        const QByteArray config = homePath + "/offscreen.json";
        QFile file(QString::fromLocal8Bit(config));
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1920, "height": 1080,
                         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        file.close();
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).constData(), 1);
    }

    QApplication app(argc, argv);
    QFontMetrics metrics(QApplication::font());
    if (QFontDatabase::families().isEmpty() || !metrics.inFont(QChar('A')) ||
        metrics.horizontalAdvance("A") <= 0) {
        std::fprintf(stderr, "no font with Latin glyphs is installed (install fonts-dejavu-core)\n");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
