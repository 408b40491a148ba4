#include "file_drop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <algorithm>

namespace vk350 {

FileDrop::FileDrop(QWidget* target, std::function<void(const QStringList&)> onDrop)
    : QObject(target), onDrop_(std::move(onDrop)) {
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

QStringList FileDrop::LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files.append(QFileInfo(url.toLocalFile()).absoluteFilePath());
    std::stable_sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return QFileInfo(a).fileName().compare(QFileInfo(b).fileName(), Qt::CaseInsensitive) < 0;
    });
    return files;
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (LocalFiles(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = LocalFiles(drop->mimeData());
        if (files.isEmpty())
            return false;
        drop->acceptProposedAction();
        if (onDrop_)
            onDrop_(files);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace vk350
