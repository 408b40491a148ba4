// The window-thread side on the Qt event loop: posted work runs on the window thread, and the
// connectors' pump keeps OnTrigger coming while a connector runs, without starving the loop.
#include "connector.h"
#include "pass_toggles.h"
#include "qt_connector_pump.h"
#include "qt_dispatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

using namespace vk350;

namespace {

class QtApp : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_audio_qt";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QCoreApplication> app_;
};

const auto* const env = ::testing::AddGlobalTestEnvironment(new QtApp);

// Runs the event loop until done() or a generous time limit.
bool spinUntil(const std::function<bool()>& done, int limitMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

WaveFormatEx pcm8() {
    WaveFormatEx f;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 1;
    f.nSamplesPerSec = 22050;
    f.nAvgBytesPerSec = 22050;
    f.nBlockAlign = 1;
    f.wBitsPerSample = 8;
    return f;
}

void spinFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

TEST(QtDispatcher, PostedWorkRunsOnTheWindowThreadInOrder) {
    QtDispatcher dispatcher;
    EXPECT_TRUE(dispatcher.isDispatchThread());
    std::vector<int> order;
    std::thread::id ranOn;
    bool otherSaysNotDispatch = true;
    std::thread worker([&] {
        otherSaysNotDispatch = !dispatcher.isDispatchThread();
        for (int i = 0; i < 3; ++i)
            dispatcher.post([&, i] {
                order.push_back(i);
                ranOn = std::this_thread::get_id();
            });
    });
    worker.join();
    EXPECT_TRUE(otherSaysNotDispatch);
    EXPECT_TRUE(order.empty()); // nothing runs until the loop does
    ASSERT_TRUE(spinUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    // What escapes a task goes to the handler, and the loop goes on.
    std::string caught;
    dispatcher.OnException = [&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            caught = x.what();
        }
    };
    bool after = false;
    dispatcher.post([] { throw std::runtime_error("WaveOutWrite:\n\rgone"); });
    dispatcher.post([&] { after = true; });
    ASSERT_TRUE(spinUntil([&] { return after; }));
    EXPECT_EQ(caught, "WaveOutWrite:\n\rgone");
}

TEST(QtDispatcher, WorkLeftWhenItGoesIsDropped) {
    bool ran = false;
    {
        QtDispatcher dispatcher;
        dispatcher.post([&] { ran = true; });
    }
    spinFor(30);
    EXPECT_FALSE(ran);
}

TEST(QtConnectorPump, RegistersWithItsHubForItsLifetime) {
    QtDispatcher dispatcher;
    ConnectorHub hub(dispatcher);
    {
        QtConnectorPump pump(hub);
        EXPECT_EQ(hub.pump(), &pump);
        {
            QtConnectorPump second(hub); // the newer one takes over...
            EXPECT_EQ(hub.pump(), &second);
        }
        EXPECT_EQ(hub.pump(), nullptr); // ...and leaves none behind
        hub.setPump(&pump);
    }
    EXPECT_EQ(hub.pump(), nullptr);
}

TEST(QtConnectorPump, TriggersWhileRunningAndStopsWithTheConnector) {
    QtDispatcher dispatcher;
    ConnectorHub hub(dispatcher);
    QtConnectorPump pump(hub);
    Connector connector(hub);
    int triggers = 0;
    std::thread::id triggeredOn;
    connector.OnTrigger = [&](Connector&) {
        ++triggers;
        triggeredOn = std::this_thread::get_id();
    };
    const WaveFormatEx f = pcm8();
    connector.SetPWaveFormat(&f);
    connector.Opened();
    connector.Started();
    EXPECT_FALSE(connector.Running()); // the start message has not run yet
    ASSERT_TRUE(spinUntil([&] { return triggers >= 20; }));
    EXPECT_TRUE(connector.Running());
    EXPECT_TRUE(pump.active());
    EXPECT_EQ(triggeredOn, std::this_thread::get_id());

    // Other work still gets its turn between passes.
    bool other = false;
    dispatcher.post([&] { other = true; });
    ASSERT_TRUE(spinUntil([&] { return other; }));

    connector.Stopped();
    spinFor(20);
    const int atStop = triggers;
    spinFor(50);
    EXPECT_EQ(triggers, atStop);
    EXPECT_FALSE(pump.active());

    // A pass that fails ends the passes until the next start; the failure is reported.
    std::string caught;
    pump.OnException = [&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            caught = x.what();
        }
    };
    connector.OnTrigger = [&](Connector&) { throw std::runtime_error("display failed"); };
    connector.Started();
    ASSERT_TRUE(spinUntil([&] { return !caught.empty(); }));
    EXPECT_EQ(caught, "display failed");
    spinFor(20);
    EXPECT_FALSE(pump.active());
    connector.Stopped();
    connector.Closed();
}

// A pass never runs the event loop, and connectors that join while a pass runs (a quick Stop and
// Play, a trigger switched back on) join the one chain of passes instead of starting another.
TEST(QtConnectorPump, StartsDuringAPassLeaveOneChainOfPasses) {
    QtDispatcher dispatcher;
    ConnectorHub hub(dispatcher);
    QtConnectorPump pump(hub);
    bool ran = false;
    dispatcher.post([&] { ran = true; });
    pump.handleMessages();
    EXPECT_FALSE(ran) << "a message round ran the event loop";

    const WaveFormatEx f = pcm8();
    Connector first(hub), other(hub);
    for (Connector* c : {&first, &other}) {
        c->SetPWaveFormat(&f);
        c->Opened();
    }
    other.SetAutoTrigger(false);
    other.Started();
    first.Started();
    int passes = 0;
    int mostScheduled = 0;
    ToggleDuringPasses(first, other, passes);
    QElapsedTimer t;
    t.start();
    while ((passes < 30 || t.elapsed() < 50) && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        mostScheduled = std::max(mostScheduled, pump.scheduled());
    }
    EXPECT_GE(passes, 30);
    EXPECT_EQ(mostScheduled, 1);
    EXPECT_TRUE(other.Running());
    other.Stopped();
    first.Stopped();
    spinFor(20);
    EXPECT_FALSE(pump.active());
    EXPECT_EQ(pump.scheduled(), 0);
    first.Closed();
    other.Closed();
}
