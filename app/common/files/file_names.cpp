#include "file_names.h"

#include <QFile>

namespace vk350 {

namespace {

// Index of the dot that starts the extension of the last path element, or -1.
qsizetype extensionDot(const QString& name) {
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? dot : -1;
}

} // namespace

QString ForceExtension(const QString& name, const QString& extension) {
    const qsizetype dot = extensionDot(name);
    if (dot < 0)
        return name + extension;
    if (name.mid(dot).compare(extension, Qt::CaseInsensitive) != 0)
        return name.left(dot) + extension;
    return name;
}

QString fileNameWithoutFolder(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString extensionOf(const QString& path) {
    const qsizetype dot = extensionDot(path);
    return dot < 0 ? QString() : path.mid(dot + 1);
}

std::string encodedPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace vk350
