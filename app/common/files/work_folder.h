// The folder where the editor writes its work files, from the temp folder caption of the options
// window. The caption is kept as the user chose it; only where the files go differs.
#pragma once

#include <QString>

namespace vk350 {

// The caption's folder when it names one the user can write, with a separator at its end.
// For "...", an empty caption or a folder that cannot be written: a per-user writable folder
// (the platform's cache location, else the temporary folder).
QString effectiveWorkFolder(const QString& caption);

// The folder part of a file name, with its trailing separator ("/a/b/c.bin" gives "/a/b/").
QString folderPartOf(const QString& fileName);

} // namespace vk350
