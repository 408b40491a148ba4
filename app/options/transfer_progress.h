// A transfer the user can follow and stop. The sending itself runs on a thread of its own while
// the window thread keeps its order: no command runs (user input outside the progress dialog is
// held back) and the hourglass shows, but every window keeps painting, a progress dialog shows the
// bytes sent of the total once the transfer lasts, and its Cancel stops it. Window thread only.
#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace vk350 {

class InputHold;

class TransferProgress {
public:
    explicit TransferProgress(QWidget* parent);
    ~TransferProgress();
    TransferProgress(const TransferProgress&) = delete;
    TransferProgress& operator=(const TransferProgress&) = delete;

    // A transfer of total bytes in one or more messages. Begin and End pair up; an inner pair
    // joins the transfer already running.
    void Begin(size_t total, const QString& text);
    void End();
    bool Running() const { return depth_ > 0; }

    // Runs work on a thread of its own and returns its result once it is done; meanwhile the
    // window thread shows sentSoFar() (bytes of the current message, may be empty) above the bytes
    // of the messages before it, and a Cancel calls cancel() (window thread) once.
    int Run(const std::function<int()>& work, const std::function<size_t()>& sentSoFar,
            const std::function<void()>& cancel);
    // Counts size bytes as done (a message has gone out, or was cut).
    void Advance(size_t size);
    // Waits ms milliseconds with the windows painting; returns early on Cancel.
    void Pause(int ms);

    // True once the user pressed Cancel, until the transfer ends.
    bool Cancelled() const { return depth_ > 0 && cancelled_; }
    // Presses Cancel, as the dialog's button does.
    void Cancel() { PressCancel(); }
    // The dialog, once the transfer has begun (for tests).
    QProgressDialog* Dialog() const { return dialog_.get(); }

    // How long a transfer runs before the dialog shows (short ones show none).
    static constexpr int kShowAfterMs = 400;
    // How often the progress is read while a message goes out.
    static constexpr int kTickMs = 15;

private:
    void Tick(const std::function<size_t()>& sentSoFar);
    void PressCancel();

    QWidget* parent_;
    std::unique_ptr<QProgressDialog> dialog_;
    std::unique_ptr<InputHold> hold_;
    std::function<void()> cancel_;
    int depth_ = 0;
    size_t total_ = 0;
    size_t done_ = 0;
    bool cancelled_ = false;
};

} // namespace vk350
