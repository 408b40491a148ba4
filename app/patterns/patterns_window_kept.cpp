// PatternsWindow: the held dump kept between runs in the user's data folder, as a .syx file of its bytes.
#include "patterns_window.h"

#include "safe_file.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

namespace vk350 {

namespace {

constexpr int kKeepDelayMs = 1500;

} // namespace

void PatternsWindow::KeepIn(const QString& folder) {
    keptFile_ = QDir(folder).filePath(QStringLiteral("patterns.syx"));
    if (!keepTimer_) {
        keepTimer_ = new QTimer(this);
        keepTimer_->setSingleShot(true);
        keepTimer_->setInterval(kKeepDelayMs);
        connect(keepTimer_, &QTimer::timeout, this, [this] { SaveKept(); });
    }
    QFile file(keptFile_);
    if (!file.exists())
        return;
    // A dump is one SysEx message; anything else is restored as far as it fits, and reported.
    QByteArray stored;
    if (file.open(QIODevice::ReadOnly))
        stored = file.read(kBufferSize + 1);
    const bool whole =
        file.isOpen() && stored.size() <= kBufferSize &&
        (stored.isEmpty() || (uint8_t(stored.front()) == 0xF0 && uint8_t(stored.back()) == 0xF7));
    const int n = int(std::min<qsizetype>(stored.size(), kBufferSize));
    std::copy_n(reinterpret_cast<const uint8_t*>(stored.constData()), n, buffer_.get());
    held_ = n;
    if (!whole)
        qWarning().noquote() << QStringLiteral("The kept pattern dump %1 is damaged: %2 bytes restored")
                                    .arg(QDir::toNativeSeparators(keptFile_))
                                    .arg(n);
}

// A change to the held dump is written once things have settled.
void PatternsWindow::HeldChanged() {
    if (keepTimer_ && !keptFile_.isEmpty())
        keepTimer_->start();
}

bool PatternsWindow::SaveKept() {
    if (keptFile_.isEmpty())
        return false;
    if (keepTimer_)
        keepTimer_->stop();
    QDir().mkpath(QFileInfo(keptFile_).path());
    const bool saved =
        safeWriteBytes(QFile::encodeName(keptFile_).toStdString(), {buffer_.get(), size_t(held_)});
    if (!saved)
        qWarning().noquote() << QStringLiteral("The pattern dump could not be kept in %1")
                                    .arg(QDir::toNativeSeparators(keptFile_));
    return saved;
}

} // namespace vk350
