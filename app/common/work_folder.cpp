#include "work_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace vk350 {

namespace {

QString WithSeparator(QString folder) {
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QDir::separator()))
        folder += QLatin1Char('/');
    return folder;
}

bool Writable(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

} // namespace

QString EffectiveWorkFolder(const QString& caption) {
    if (caption != QLatin1String("...") && !caption.trimmed().isEmpty() && Writable(caption))
        return WithSeparator(caption);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!cache.isEmpty() && QDir().mkpath(cache) && Writable(cache))
        return WithSeparator(cache);
    return WithSeparator(QDir::tempPath());
}

QString FolderPartOf(const QString& fileName) {
    const qsizetype slash =
        std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QDir::separator()));
    return slash < 0 ? QString() : fileName.left(slash + 1);
}

} // namespace vk350
