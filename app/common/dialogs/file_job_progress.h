// Keeps the windows painting through a long conversion, import or save of a wave, and shows a
// progress dialog with Cancel once the job has run for a while (short ones show nothing). Bound
// to the wave's OnProgress while it lives. Window thread only.
#pragma once

#include <QString>

#include <chrono>
#include <memory>

class QProgressDialog;
class QWidget;

namespace vk350 {

class WaveDocument;

class FileJobProgress {
public:
    FileJobProgress(WaveDocument& wave, QWidget* parent, const QString& text);
    ~FileJobProgress();
    FileJobProgress(const FileJobProgress&) = delete;
    FileJobProgress& operator=(const FileJobProgress&) = delete;

    // How long a job runs before the dialog shows; tests set it to 0.
    static inline int ShowAfterMs = 500;
    // The dialog, once shown (for tests).
    QProgressDialog* Dialog() const { return dialog_.get(); }

private:
    // After each block: the dialog when due, its value, the pending window messages.
    bool Step(uint32_t done, uint32_t total);

    WaveDocument& wave_;
    QWidget* parent_;
    QString text_;
    std::chrono::steady_clock::time_point start_;
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace vk350
