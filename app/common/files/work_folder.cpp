#include "work_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace vk350 {

namespace {

QString withSeparator(QString folder) {
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QDir::separator()))
        folder += QLatin1Char('/');
    return folder;
}

bool isWritable(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

} // namespace

QString effectiveWorkFolder(const QString& caption) {
    if (caption != QLatin1String("...") && !caption.trimmed().isEmpty() && isWritable(caption))
        return withSeparator(caption);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!cache.isEmpty() && QDir().mkpath(cache) && isWritable(cache))
        return withSeparator(cache);
    return withSeparator(QDir::tempPath());
}

QString folderPartOf(const QString& fileName) {
    const qsizetype slash =
        std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QDir::separator()));
    return slash < 0 ? QString() : fileName.left(slash + 1);
}

} // namespace vk350
