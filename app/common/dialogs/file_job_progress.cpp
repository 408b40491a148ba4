#include "file_job_progress.h"

#include "wave_document.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressDialog>

namespace vk350 {

FileJobProgress::FileJobProgress(WaveDocument& wave, QWidget* parent, const QString& text)
    : wave_(wave), parent_(parent), text_(text), start_(std::chrono::steady_clock::now()) {
    wave_.OnProgress = [this](WaveDocument&, uint32_t done, uint32_t total, bool& cancel) {
        cancel = Step(done, total);
    };
}

FileJobProgress::~FileJobProgress() {
    wave_.OnProgress = nullptr;
}

bool FileJobProgress::Step(uint32_t done, uint32_t total) {
    if (!dialog_ && std::chrono::steady_clock::now() - start_ >= std::chrono::milliseconds(ShowAfterMs)) {
        dialog_ = std::make_unique<QProgressDialog>(text_, QStringLiteral("Cancel"), 0, 1000, parent_);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->show();
    }
    if (dialog_)
        dialog_->setValue(total ? int(uint64_t(done) * 1000 / total) : 1000);
    // Painting and timers go on; input waits, so no command starts in the middle of the job.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return dialog_ && dialog_->wasCanceled();
}

} // namespace vk350
