#include "file_reasons.h"

#include "file_problem.h"
#include "wave_problem.h"

#include <QFile>
#include <QFileInfo>

#include <string>

namespace vk350 {

namespace {

std::string encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString line(const QString& path, const std::string& reason) {
    if (reason.empty())
        return {};
    return QFile::decodeName(fileProblemLine(encoded(path), reason).c_str());
}

} // namespace

QString withReason(const QString& first, const QString& reasonLine) {
    return reasonLine.isEmpty() ? first : first + QLatin1Char('\n') + reasonLine;
}

QString readReasonLine(const QString& path) {
    std::string reason = fileReadProblem(encoded(path));
    if (reason.empty() && QFileInfo(path).size() == 0)
        reason = "The file is empty";
    return line(path, reason);
}

QString waveReasonLine(const QString& path, const std::exception& error, const QString& workFile) {
    if (std::string(error.what()) == "Conversion aborted")
        return line(path, "Cancelled");
    if (std::string reason = waveReadProblem(encoded(path)); !reason.empty())
        return line(path, reason);
    // The source reads well: the converted copy could not be written.
    if (!workFile.isEmpty())
        if (std::string reason = fileWriteProblem(encoded(workFile)); !reason.empty())
            return line(workFile, reason);
    return line(path, error.what());
}

QString writeReasonLine(const QString& path, uint64_t bytes) {
    return line(path, fileWriteProblem(encoded(path), bytes));
}

} // namespace vk350
