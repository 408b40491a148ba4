// MainWindow: File > Recent Files, the last files opened or saved, newest first, kept in the settings
// between runs.
#include "main_window.h"

#include "dialogs.h"
#include "part_names.h"
#include "settings_store.h"

#include <QFileInfo>
#include <QMenu>

namespace vk350 {

namespace {

constexpr int kRecentCount = 8;
// One path a line; a path holds no line break that a desktop would offer.
const char* const kRecentKey = "RecentFiles";

} // namespace

void MainWindow::CreateRecentFiles() {
    recentFilesMenu = named(new QMenu(QStringLiteral("Recent Files"), this), "recentFilesMenu");
    // Under the file commands, before the MIDI ones.
    const QList<QAction*> items = fileMenu->actions();
    const qsizetype send = items.indexOf(sendToMidiItem);
    fileMenu->insertMenu(send > 0 ? items[send - 1] : sendToMidiItem, recentFilesMenu);
    if (const std::optional<QString> stored = store_->ReadString(QLatin1String(kRecentKey)))
        for (const QString& path : stored->split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (recentFiles_.size() < kRecentCount && !recentFiles_.contains(path))
                recentFiles_.append(path);
    ShowRecentFiles();
}

void MainWindow::ShowRecentFiles() {
    recentFilesMenu->clear();
    for (int i = 0; i < recentFiles_.size(); ++i) {
        const QString path = recentFiles_[i];
        QAction* item = recentFilesMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        connect(item, &QAction::triggered, this,
                [this, path] { RunCommand([this, path] { OpenRecentFile(path); }); });
    }
    recentFilesMenu->setEnabled(!recentFiles_.isEmpty());
}

void MainWindow::RememberRecentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    recentFiles_.removeAll(full);
    recentFiles_.prepend(full);
    while (recentFiles_.size() > kRecentCount)
        recentFiles_.removeLast();
    store_->WriteString(QLatin1String(kRecentKey), recentFiles_.join(QLatin1Char('\n')));
    ShowRecentFiles();
}

// A file that is gone leaves the list, and the user is told why it did not open.
void MainWindow::OpenRecentFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        recentFiles_.removeAll(path);
        store_->WriteString(QLatin1String(kRecentKey), recentFiles_.join(QLatin1Char('\n')));
        ShowRecentFiles();
        dialogs_.Message(this, MessageIcon::Warning, QStringLiteral("Recent Files"),
                         path + QStringLiteral(" no longer exists; it is taken off the list."));
        return;
    }
    LoadSample(path);
}

} // namespace vk350
