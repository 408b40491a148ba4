// Opening the sample named on the command line. A file that cannot be read leaves the editor
// empty, and the user is told why: on standard error and in the error box. Window thread only.
#pragma once

#include <QString>
#include <cstdio>
#include <string>

namespace vk350 {

class Dialogs;
class MainWindow;

// Why the file cannot be read as a sample ("No such file or directory", "Is a directory",
// "Empty file", ...), or empty when it can be.
std::string startFileProblem(const std::string& path);

// Opens path in the main window as Load Raw-Bin would. A file that cannot be read is not tried:
// the reason goes to errors and to the error box, and the result is false.
bool openStartFile(MainWindow& form, Dialogs& dialogs, const QString& path, std::FILE* errors);

} // namespace vk350
