// A running transfer: the windows keep painting while the work runs elsewhere, user input outside
// the progress dialog is held back, and Cancel reaches the transfer once and ends the pauses.
#include "transfer_progress.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace vk350;

namespace {

// Counts its paints; a timer asks for one every few milliseconds, as an animated view would.
class PaintCounter : public QWidget {
public:
    PaintCounter() {
        resize(100, 50);
        connect(&timer_, &QTimer::timeout, this, [this] { update(); });
        timer_.start(5);
    }
    std::atomic<int> paints{0};

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }

private:
    QTimer timer_;
};

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

TEST(TransferProgress, WindowsPaintWhileTheWorkRunsOnItsOwnThread) {
    PaintCounter view;
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    TransferProgress transfer(&view);
    std::thread::id workThread;
    int paintsDuringWork = -1;
    const int result = transfer.Run(
        [&] {
            workThread = std::this_thread::get_id();
            const int before = view.paints;
            Sleep(300);
            paintsDuringWork = view.paints - before;
            return 42;
        },
        nullptr, nullptr);
    EXPECT_EQ(result, 42);
    EXPECT_NE(workThread, std::this_thread::get_id());
    EXPECT_GT(paintsDuringWork, 0) << "the window thread kept painting";
    EXPECT_FALSE(transfer.Running()) << "a Run on its own begins and ends its transfer";
}

TEST(TransferProgress, UserInputWaitsOutsideTheDialogAndCancelReachesTheTransferOnce) {
    QLineEdit edit;
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    edit.setFocus();
    TransferProgress transfer(&edit);
    transfer.Begin(1000, QStringLiteral("Sending"));
    ASSERT_TRUE(transfer.Running());
    ASSERT_NE(transfer.Dialog(), nullptr);
    int cancels = 0;
    std::atomic<bool> stop{false};
    // During the work: a key for the editor and a close (both held back), then two presses of
    // Cancel.
    QTimer::singleShot(20, [&] {
        QApplication::postEvent(&edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
        edit.close();
    });
    QTimer::singleShot(60, [&] {
        QPushButton* button = transfer.Dialog()->findChild<QPushButton*>();
        ASSERT_NE(button, nullptr);
        button->click();
        button->click();
    });
    const int result = transfer.Run(
        [&] {
            for (int i = 0; i < 200 && !stop; ++i)
                Sleep(5);
            return stop ? 7 : 0;
        },
        [] { return size_t(500); },
        [&] {
            ++cancels;
            stop = true;
        });
    EXPECT_EQ(result, 7) << "Cancel stopped the work";
    EXPECT_TRUE(edit.isVisible()) << "the window could not be closed during the transfer";
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(transfer.Cancelled());
    EXPECT_TRUE(edit.text().isEmpty()) << "no input reached the editor during the transfer";

    // A pause in a cancelled transfer returns at once; the next transfer starts afresh.
    transfer.Advance(500);
    transfer.Pause(10000);
    transfer.End();
    EXPECT_FALSE(transfer.Cancelled());
    EXPECT_FALSE(transfer.Running());
    QTest::keyClick(&edit, Qt::Key_B);
    EXPECT_EQ(edit.text(), QStringLiteral("b")) << "input flows again";
}

TEST(TransferProgress, NestedTransfersAreOneAndCancelEndsAPause) {
    QWidget parent;
    TransferProgress transfer(&parent);
    transfer.Begin(3000, QStringLiteral("Bank"));
    transfer.Begin(1000, QStringLiteral("Slot"));
    QProgressDialog* dialog = transfer.Dialog();
    transfer.End();
    EXPECT_TRUE(transfer.Running());
    EXPECT_EQ(transfer.Dialog(), dialog) << "the inner pair joined the outer transfer";
    transfer.Advance(1500);
    EXPECT_EQ(dialog->value(), 500);
    QTimer::singleShot(30, [&] { transfer.Cancel(); });
    const auto start = std::chrono::steady_clock::now();
    transfer.Pause(20000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "Cancel ended the pause";
    EXPECT_TRUE(transfer.Cancelled());
    transfer.End();
    EXPECT_EQ(transfer.Dialog(), nullptr);
}
