// The second line of a file error box: the file's name and the reason in plain words, found by
// looking at the file after the failure. Window thread.
#pragma once

#include <QString>

#include <cstdint>
#include <exception>

namespace vk350 {

// The first line, and the reason line below it when there is one.
QString withReason(const QString& first, const QString& reasonLine);

// A file that could not be loaded as raw bytes.
QString readReasonLine(const QString& path);
// A wave file that could not be converted; error is what the conversion raised.
QString waveReasonLine(const QString& path, const std::exception& error, const QString& workFile);
// A file that could not be saved, of about bytes.
QString writeReasonLine(const QString& path, uint64_t bytes);

} // namespace vk350
