// vk350 devices and vk350 play, run as a user runs them.
#include "run_command.h"
#include "wave_fixture.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

class AudioCli : public WaveTest {
protected:
    CommandResult vk350(const std::string& env, const std::string& args) {
        return runCommand(env + " " + shellQuote(VK350_TOOL) + " " + args + " </dev/null", true);
    }
    std::string q(const std::string& leaf) const { return shellQuote(path(leaf)); }
    // An ALSA configuration whose "default" is defaultPcm.
    std::string alsa(const std::string& defaultPcm) {
        std::ofstream(path("asound.conf")) << "pcm.!default " << defaultPcm << "\n";
        return "VK350_AUDIO_DRIVER=alsa ALSA_CONFIG_PATH=" +
               shellQuote("/usr/share/alsa/alsa.conf:" + path("asound.conf"));
    }
    std::string alsaFile() {
        return alsa("{ type file slave.pcm \"null\" file \"" + path("out.raw") + "\" format \"raw\" }");
    }
};

Bytes ramp(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(i * 7);
    return b;
}

} // namespace

TEST_F(AudioCli, DevicesAndUsage) {
    CommandResult r = vk350("VK350_AUDIO_DRIVER=virtual", "devices");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "audio driver: virtual\noutputs:\n  -1  Virtual default output (default)\n"
                     "   0  Virtual output 1\n");
    r = vk350(alsa("{ type hw card 99 }"), "devices");
    EXPECT_EQ(r.status, 0) << r.out;
    if (r.out.find("(none)") != std::string::npos) {
        EXPECT_NE(r.out.find("No wave audio playing device found"), std::string::npos);
    }
    EXPECT_EQ(r.out.find("ALSA lib"), std::string::npos) << "libasound's own complaints stay quiet";

    writeFile("in.wav", pcmWave(8, 1, 22050, ramp(100)));
    struct Case {
        const char* env;
        std::string args;
        int status;
    };
    const Case cases[] = {
        {"", "devices extra", 2},
        {"", "play", 2},
        {"", "play " + q("in.wav") + " " + q("in.wav"), 2},
        {"", "play " + q("in.wav") + " --loop", 2},
        {"", "play " + q("in.wav") + " --loop x", 2},
        {"", "play " + q("in.wav") + " --loop -1", 2},
        {"", "play " + q("in.wav") + " --device -2", 2},
        {"", "play " + q("in.wav") + " --fast", 2},
        {"VK350_AUDIO_DRIVER=nosuch", "play " + q("in.wav"), 2},
        {"VK350_AUDIO_DRIVER=nosuch", "devices", 2},
        {"VK350_AUDIO_DRIVER=virtual", "play " + q("missing.wav"), 1},
        {"VK350_AUDIO_DRIVER=virtual", "play " + q("in.wav") + " --device 3", 1},
    };
    for (const Case& c : cases) {
        r = vk350(c.env, c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find("vk350: "), std::string::npos) << c.args;
    }
    EXPECT_NE(vk350("", "--help").out.find("play FILE.wav [--loop N] [--device I]"), std::string::npos);
}

TEST_F(AudioCli, PlaysThroughTheVirtualDevice) {
    writeFile("in.wav", pcmWave(8, 1, 22050, ramp(2205)));
    const auto start = std::chrono::steady_clock::now();
    const CommandResult r = vk350("VK350_AUDIO_DRIVER=virtual", "play " + q("in.wav") + " --loop 2");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, path("in.wav") + ": 8-bit mono 22050 Hz, 0.100 s on Virtual default output\n");
    // Played at the real rate: twice a tenth of a second.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
}

TEST_F(AudioCli, PlaysThroughAlsa) {
    const Bytes data = ramp(5000);
    writeFile("in.wav", pcmWave(8, 1, 22050, data));
    CommandResult r = vk350(alsaFile(), "play " + q("in.wav") + " --loop 3");
    ASSERT_EQ(r.status, 0) << r.out;
    Bytes three;
    for (int i = 0; i < 3; ++i)
        three.insert(three.end(), data.begin(), data.end());
    EXPECT_EQ(readFile("out.raw"), three);
    r = vk350(alsaFile(), "play " + q("in.wav") + " --device 0");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(readFile("out.raw"), data);

    // Without a sound card: a clear message and the bad-device status.
    r = vk350(alsa("{ type hw card 99 }"), "play " + q("in.wav"));
    if (r.out.find("No wave audio playing device found") == std::string::npos)
        GTEST_SKIP() << "this machine has a sound card";
    EXPECT_EQ(r.status, 1) << r.out;
}

TEST_F(AudioCli, CtrlCStopsCleanly) {
    writeFile("in.wav", pcmWave(8, 1, 22050, ramp(22050)));
    const std::string out = path("out.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        envText.emplace_back(*e);
    envText.emplace_back("VK350_AUDIO_DRIVER=virtual");
    std::vector<char*> envp;
    for (std::string& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string tool = VK350_TOOL, cmd = "play", file = path("in.wav"), loop = "--loop", zero = "0";
    char* argv[] = {tool.data(), cmd.data(), file.data(), loop.data(), zero.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Playing once the first line is out; looping, it would go on for ever.
    for (int i = 0; i < 500 && readFile("out.txt").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    const Bytes text = readFile("out.txt");
    const std::string said(text.begin(), text.end());
    ASSERT_TRUE(WIFEXITED(status)) << said;
    EXPECT_EQ(WEXITSTATUS(status), 0) << said;
    EXPECT_NE(said.find("stopped at "), std::string::npos) << said;
    EXPECT_EQ(said.find("vk350:"), std::string::npos) << said;
}
