#include "transfer_progress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <thread>

namespace vk350 {

namespace {

// Escape and the close box cancel the transfer like the button, instead of hiding the dialog.
class TransferDialog : public QProgressDialog {
public:
    using QProgressDialog::QProgressDialog;
    void reject() override { emit canceled(); }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        emit canceled();
    }
};

} // namespace

// Holds back user input meant for anything but the progress dialog while a transfer runs, so
// that no command starts in the middle of it; painting, timers and posted work go on.
class InputHold : public QObject {
public:
    explicit InputHold(QProgressDialog* dialog) : dialog_(dialog) { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Close:
            break;
        default:
            return false;
        }
        // The dialog and its Cancel button take input; nothing else does. The window system hands
        // input to a window first, which passes it on to its widgets.
        if (watched->isWindowType())
            return watched != dialog_->windowHandle();
        for (QObject* o = watched; o; o = o->parent())
            if (o == dialog_)
                return false;
        if (event->type() == QEvent::Close)
            event->ignore();
        return true;
    }

private:
    QProgressDialog* dialog_;
};

TransferProgress::TransferProgress(QWidget* parent) : parent_(parent) {}

TransferProgress::~TransferProgress() = default;

void TransferProgress::Begin(size_t total, const QString& text) {
    if (depth_++ > 0)
        return;
    total_ = std::max<size_t>(total, 1);
    done_ = 0;
    cancelled_ = false;
    dialog_ = std::make_unique<TransferDialog>(text, QStringLiteral("Cancel"), 0, 1000, parent_);
    dialog_->setWindowTitle(QStringLiteral("MIDI"));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(kShowAfterMs);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setValue(0);
    // Cancel is handled here; the dialog must not hide itself or reset.
    QObject::disconnect(dialog_.get(), &QProgressDialog::canceled, dialog_.get(), nullptr);
    QObject::connect(dialog_.get(), &QProgressDialog::canceled, dialog_.get(), [this] { PressCancel(); });
    hold_ = std::make_unique<InputHold>(dialog_.get());
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void TransferProgress::End() {
    if (depth_ == 0 || --depth_ > 0)
        return;
    QGuiApplication::restoreOverrideCursor();
    hold_.reset();
    dialog_.reset();
    cancel_ = nullptr;
}

void TransferProgress::PressCancel() {
    if (cancelled_)
        return;
    cancelled_ = true;
    if (cancel_)
        cancel_();
}

void TransferProgress::Advance(size_t size) {
    done_ += size;
    if (dialog_)
        dialog_->setValue(int(std::min<size_t>(done_, total_) * 1000 / total_));
}

void TransferProgress::Tick(const std::function<size_t()>& sentSoFar) {
    if (!dialog_)
        return;
    const size_t now = done_ + (sentSoFar ? sentSoFar() : 0);
    // setValue also brings the dialog up once the transfer has lasted long enough.
    dialog_->setValue(int(std::min<size_t>(now, total_) * 1000 / total_));
}

int TransferProgress::Run(const std::function<int()>& work, const std::function<size_t()>& sentSoFar,
                          const std::function<void()>& cancel) {
    const bool own = depth_ == 0;
    if (own)
        Begin(0, QString());
    cancel_ = cancel;

    QEventLoop loop;
    std::atomic<bool> finished{false};
    int result = 0;
    std::thread worker([&] {
        result = work();
        finished.store(true);
        // By name: nothing of this thread's is handed over through Qt's queue.
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &loop, [&] { Tick(sentSoFar); });
    ticker.start(kTickMs);
    if (!finished.load())
        loop.exec();
    worker.join();
    ticker.stop();
    cancel_ = nullptr;
    if (own)
        End();
    return result;
}

void TransferProgress::Pause(int ms) {
    if (ms <= 0 || cancelled_)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (cancelled_)
            loop.quit();
    });
    watch.start(kTickMs);
    loop.exec();
}

} // namespace vk350
