// File name helpers of the file commands.
#pragma once

#include <QString>
#include <string>

namespace vk350 {

// Gives the name the extension (with its dot): appended when the name has none, replaced when
// it has another one (letter case ignored), otherwise the name is returned unchanged.
QString ForceExtension(const QString& name, const QString& extension);

// The name without its folder, as the window shows it.
QString fileNameWithoutFolder(const QString& path);

// The extension without its dot ("" when there is none), letter case kept.
QString extensionOf(const QString& path);

// The path in the system's file name encoding, for the file layers below the windows.
std::string encodedPath(const QString& path);

} // namespace vk350
