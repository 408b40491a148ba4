// The JACK driver's own lines in the editor: on the options window's Log page, not on standard
// error, whichever thread they come from.
// Before Qt's headers, whose emit macro would eat a function of the test peer.
#include "jack_test_server.h"

#include "midi_driver_factory.h"
#include "options_fixture.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

using namespace vk350;
using namespace std::chrono_literals;
namespace jt = vk350::testing;

TEST_F(OptionsTest, TheJackDriversLinesGoToTheLogPage) {
    struct Case {
        const char* what;
        std::function<void(jt::JackTestServer&, jt::JackPeer&, OptionsWindow&)> act;
        QString line; // the start of the line expected
    };
    const Case cases[] = {
        {"the source of our input went away (input thread)",
         [](jt::JackTestServer&, jt::JackPeer& peer, OptionsWindow&) { peer.unregisterSource(); },
         "JACK port peer:source went away"},
        {"the server was killed (input thread)",
         [](jt::JackTestServer& server, jt::JackPeer&, OptionsWindow&) { server.kill(); },
         "JACK server shut down"},
        {"the sink of our output went away before a send (window thread)",
         [](jt::JackTestServer&, jt::JackPeer& peer, OptionsWindow& w) {
             peer.unregisterSink();
             std::this_thread::sleep_for(200ms); // the notice reaches our client
             const uint8_t block[] = {0xF0, 0x2A, 0x03, 0x02, 0xF7};
             w.SendSysExBlock(block, sizeof block, QStringLiteral("pattern"));
         },
         "JACK port peer:sink went away"},
    };
    for (const Case& c : cases) {
        jt::JackTestServer server;
        if (server.missing())
            GTEST_SKIP() << server.failure();
        ASSERT_EQ(server.failure(), "");
        auto peer = std::make_unique<jt::JackPeer>();
        ASSERT_TRUE(peer->ok());
        // Made as the editor makes it: its lines go to standard error until a window takes them.
        const std::unique_ptr<MidiDriver> jack = createMidiDriver("jack");
        ::testing::internal::CaptureStderr();
        form = std::make_unique<OptionsWindow>(
            OptionsLinks{store, dialogs, *jack, wave, &panel, bank, patterns, waveOut});
        ASSERT_EQ(Log().value(0), QStringLiteral("peer:source IN  -> Ouvert")) << c.what;
        c.act(server, *peer, *form);
        const auto until = std::chrono::steady_clock::now() + 5s;
        auto found = [&] {
            const QStringList log = Log();
            return std::count_if(log.begin(), log.end(),
                                 [&](const QString& l) { return l.startsWith(c.line); }) == 1;
        };
        while (!found() && std::chrono::steady_clock::now() < until) {
            QApplication::processEvents();
            std::this_thread::sleep_for(5ms);
        }
        EXPECT_TRUE(found()) << c.what << "\n" << Log().join('\n').toStdString();
        form.reset();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << c.what;
        peer.reset();
    }
}
