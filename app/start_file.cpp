#include "start_file.h"

#include "dialogs.h"
#include "main_window.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vk350 {

std::string startFileProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return std::strerror(EISDIR);
    // A fifo or a device would block or give no length; a sample is a plain file.
    if (!S_ISREG(st.st_mode))
        return "Not a regular file";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    if (st.st_size == 0)
        return "Empty file";
    return {};
}

bool openStartFile(MainWindow& form, Dialogs& dialogs, const QString& path, std::FILE* errors) {
    const std::string problem = startFileProblem(QFile::encodeName(path).toStdString());
    if (problem.empty()) {
        form.RunCommand([&] { form.OpenSampleFile(path); });
        return true;
    }
    std::fprintf(errors, "vk350-editor: %s: %s\n", QFile::encodeName(path).constData(), problem.c_str());
    dialogs.Message(&form, MessageIcon::Error, QStringLiteral("File Error"),
                    QStringLiteral("Read File Error - Nothing Loaded\n%1: %2")
                        .arg(path, QString::fromLocal8Bit(problem.c_str())));
    return false;
}

} // namespace vk350
