// MainWindow: files dropped from the desktop open as Load Raw-Bin opens them: a WAV file through the
// conversion, any other file as raw bytes.
#include "main_window.h"

#include "file_drop.h"

namespace vk350 {

void MainWindow::AcceptFileDrops() {
    new FileDrop(this, [this](const QStringList& paths) { DropFiles(paths); });
}

// The sample holds one sound: of several files the first by name is opened.
void MainWindow::DropFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    const QString path = paths.front();
    RunCommand([this, path] { LoadSample(path); });
}

} // namespace vk350
