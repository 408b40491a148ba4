// The wave output's playback thread: its queue, flush, quit and failure.
#include "playback_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace vk350;

TEST(PlaybackThread, HandlesMessagesInOrderAndQuitWaitsForTheCurrentOne) {
    PlaybackThread thread;
    std::vector<uint64_t> runs;
    std::thread::id where;
    std::atomic<bool> inside{false}, finished{false};
    ChainBuffer a, b;
    ASSERT_TRUE(thread.start(
        tpNormal,
        [&](ChainBuffer* h, uint64_t run) {
            where = std::this_thread::get_id();
            runs.push_back(run);
            if (h == &b) {
                inside = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                finished = true;
            }
        },
        nullptr, 5000));
    EXPECT_TRUE(thread.running());
    thread.post(&a, 1);
    thread.post(&a, 2);
    thread.post(&b, 3);
    while (!inside)
        std::this_thread::yield();
    thread.quit(); // returns only once the message being handled is done
    EXPECT_TRUE(finished);
    EXPECT_FALSE(thread.running());
    EXPECT_EQ(runs, (std::vector<uint64_t>{1, 2, 3}));
    EXPECT_NE(where, std::this_thread::get_id());
}

TEST(PlaybackThread, FlushDropsWhatWaitsAndAFailureEndsTheThread) {
    PlaybackThread thread;
    std::atomic<int> handled{0};
    std::atomic<bool> release{false}, holding{false};
    std::string failure;
    std::atomic<bool> failed{false};
    ChainBuffer h;
    ASSERT_TRUE(thread.start(
        tpLower,
        [&](ChainBuffer*, uint64_t run) {
            holding = run == 1;
            while (run == 1 && !release)
                std::this_thread::yield();
            if (run == 9)
                throw std::runtime_error("Error filling wave buffer");
            ++handled;
        },
        [&](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const std::exception& x) {
                failure = x.what();
            }
            failed = true;
        },
        5000));
    thread.post(&h, 1); // holds the thread while more queue up
    while (!holding)
        std::this_thread::yield();
    thread.post(&h, 2);
    thread.post(&h, 3);
    thread.flush();
    release = true;
    thread.post(&h, 9);
    thread.post(&h, 4); // never handled: the failure ended the thread
    while (!failed)
        std::this_thread::yield();
    thread.quit();
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(failure, "Error filling wave buffer");
    EXPECT_EQ(PlaybackThread::niceValue(tpHigher), -5);
    EXPECT_EQ(PlaybackThread::niceValue(tpIdle), 19);
}
