// The chain's links, format propagation, buffer sizes and the lifecycle broadcast.
#include "chain_fixture.h"
#include "dsp_interface.h"
#include "sound_component.h"

#include <functional>
#include <map>

using namespace vk350;

namespace {

// Logs every lifecycle step it receives as "name:Step".
template <class Base> class Logged : public Base {
public:
    Logged(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    void Opened() override { note("Opened"), Base::Opened(); }
    void Closed() override { note("Closed"), Base::Closed(); }
    void Started() override { note("Started"), Base::Started(); }
    void Paused() override { note("Paused"), Base::Paused(); }
    void Restarted() override { note("Restarted"), Base::Restarted(); }
    void Stopped() override { note("Stopped"), Base::Stopped(); }
    void Reseting() override { note("Reseting"), Base::Reseting(); }
    void Looped() override { note("Looped"), Base::Looped(); }

private:
    void note(const char* step) { log_.push_back(name_ + ":" + step); }
    std::string name_;
    std::vector<std::string>& log_;
};

class Device : public Logged<SoundComponent> {
public:
    using Logged::Logged;
    void broadcast(Lifecycle step) { Broadcast(step); }
};

using Plain = Logged<DspComponent>;

// "A>B B>C": every output link, for comparing whole chains at once.
std::string links(const std::map<std::string, DspComponent*>& parts) {
    std::map<const DspComponent*, std::string> names;
    for (const auto& [n, c] : parts)
        names[c] = n;
    std::string text;
    for (const auto& [n, c] : parts) {
        if (c->GetOutput()) {
            text += (text.empty() ? "" : " ") + n + ">" + names[c->GetOutput()];
            // Both ends must agree.
            EXPECT_EQ(c->GetOutput()->GetInput(), c) << n;
            EXPECT_EQ(c->OutputPort(), "Input");
            EXPECT_EQ(c->GetOutput()->InputPort(), "Output");
        }
        if (!c->GetInput()) {
            EXPECT_EQ(c->InputPort(), "");
        }
    }
    return text;
}

} // namespace

TEST(DspChain, LinkingRulesAndCycleRefusal) {
    struct Case {
        const char* name;
        const char* start; // links made first, "A>B B>C"
        std::function<void(DspComponent&, DspComponent&, DspComponent&, DspComponent&)> act;
        const char* expected;
    };
    const Case cases[] = {
        {"input taken from a component that feeds another", "B>C",
         [](auto& a, auto& b, auto&, auto&) { a.SetInput(&b); }, "B>A"},
        {"output taken from a component fed by another", "A>B",
         [](auto&, auto& b, auto& c, auto&) { c.SetOutput(&b); }, "C>B"},
        {"relinking drops the old input", "A>B C>D", [](auto&, auto& b, auto& c, auto&) { b.SetInput(&c); },
         "C>B"},
        {"own input refused", "A>B", [](auto& a, auto&, auto&, auto&) { a.SetInput(&a); }, "A>B"},
        {"own output refused", "A>B", [](auto& a, auto&, auto&, auto&) { a.SetOutput(&a); }, "A>B"},
        {"downstream as input refused (cycle)", "A>B B>C",
         [](auto& a, auto&, auto& c, auto&) { a.SetInput(&c); }, "A>B B>C"},
        {"upstream as output refused (cycle)", "A>B B>C",
         [](auto& a, auto&, auto& c, auto&) { c.SetOutput(&a); }, "A>B B>C"},
        {"two steps down as input refused", "A>B B>C C>D",
         [](auto&, auto& b, auto&, auto& d) { b.SetInput(&d); }, "A>B B>C C>D"},
        {"input released", "A>B B>C", [](auto&, auto& b, auto&, auto&) { b.SetInput(nullptr); }, "B>C"},
        {"output released", "A>B B>C", [](auto&, auto& b, auto&, auto&) { b.SetOutput(nullptr); }, "A>B"},
        {"same link again changes nothing", "A>B",
         [](auto& a, auto& b, auto&, auto&) { b.SetInput(&a), a.SetOutput(&b); }, "A>B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> log;
        Plain a("A", log), b("B", log), cc("C", log), d("D", log);
        std::map<std::string, DspComponent*> parts = {{"A", &a}, {"B", &b}, {"C", &cc}, {"D", &d}};
        for (std::string_view rest = c.start; !rest.empty();) {
            parts[std::string(1, rest[0])]->SetOutput(parts[std::string(1, rest[2])]);
            rest.remove_prefix(std::min<size_t>(4, rest.size()));
        }
        c.act(a, b, cc, d);
        EXPECT_EQ(links(parts), c.expected);
    }
}

TEST(DspChain, LinkabilityAndRemovalDropLinks) {
    std::vector<std::string> log;
    auto a = std::make_unique<Plain>("A", log);
    auto c = std::make_unique<Plain>("C", log);
    Plain b("B", log);
    a->SetOutput(&b);
    b.SetOutput(c.get());
    EXPECT_FALSE(c->CanConnectOutput(a.get()));
    EXPECT_FALSE(a->CanConnectInput(c.get()));
    EXPECT_TRUE(c->CanConnectInput(a.get())); // relinking down the chain is allowed
    EXPECT_FALSE(b.CanConnectInput(nullptr));
    a.reset();
    EXPECT_EQ(b.GetInput(), nullptr);
    EXPECT_EQ(links({{"B", &b}, {"C", c.get()}}), "B>C");
    c.reset();
    EXPECT_EQ(b.GetOutput(), nullptr);
}

namespace {
class DspChainRig : public PlaybackRig {};
} // namespace

TEST_F(DspChainRig, FormatReachesEveryComponentAndDisplay) {
    // A new file bound to the wave file changes what the wave out, the connector and every
    // attached display see; freeing it withdraws the format down the chain.
    RecordingDisplay level, spectrum;
    connector_.SetLevel1(&level);
    connector_.SetSpectrum1(&spectrum);
    for (const auto& [bits, channels, rate] : {std::tuple{8, 1, 22050}, std::tuple{16, 2, 44100}}) {
        load(rampBytes(64), uint16_t(bits), uint16_t(channels), uint32_t(rate));
        const WaveFormatEx want = pcmFormat(uint16_t(bits), uint16_t(channels), uint32_t(rate));
        for (const DspComponent* c : std::initializer_list<const DspComponent*>{&file_, &out_, &connector_}) {
            ASSERT_NE(c->GetPWaveFormat(), nullptr);
            EXPECT_EQ(*c->GetPWaveFormat(), want);
        }
        ASSERT_FALSE(level.formats.empty());
        EXPECT_EQ(level.formats.back(), want);
        EXPECT_EQ(spectrum.formats.back(), want);
    }
    EXPECT_EQ(level.formats.size(), 2u); // told once per change, not on every push
    // The wave file tells its own listeners before and after the chain takes the new format.
    // Rebinding drops the old file first, so the chain passes through "no format".
    std::vector<int> seenBits;
    const auto bits = [&] { return out_.GetPWaveFormat() ? out_.GetPWaveFormat()->wBitsPerSample : 0; };
    file_.OnChange = [&](WaveSource&) { seenBits.push_back(-bits()); };
    file_.OnChanged = [&](WaveSource&) { seenBits.push_back(bits()); };
    load(rampBytes(64), 8, 1, 22050);
    EXPECT_EQ(seenBits, (std::vector<int>{-16, 0, 0, 8}));
    file_.OnChange = nullptr;
    file_.OnChanged = nullptr;
    file_.Wave().FreeWave();
    EXPECT_EQ(out_.GetPWaveFormat(), nullptr);
    EXPECT_EQ(connector_.GetPWaveFormat(), nullptr);
    // A display attached later is handed the chain's format at once.
    load(rampBytes(64));
    RecordingDisplay late;
    connector_.SetOscope1(nullptr);
    connector_.SetLevel2(&late);
    ASSERT_EQ(late.formats.size(), 1u);
    EXPECT_EQ(late.formats[0], pcmFormat(8, 1, 22050));
    connector_.RemoveDisplay(&late);
    connector_.RemoveDisplay(&level);
    connector_.RemoveDisplay(&spectrum);
}

TEST(DspChain, BufferSizeIsFixedToWholeBlocksAtOpened) {
    struct Case {
        uint32_t requested;
        int bits, channels; // 0: no format
        uint32_t effective;
    };
    const Case cases[] = {
        {2048, 8, 1, 2048}, {2048, 16, 2, 2048}, {2050, 16, 2, 2048}, {2047, 16, 1, 2046},
        {3, 16, 2, 4},      {1, 8, 1, 1},        {100, 0, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.requested << " bytes, " << c.bits << "/" << c.channels);
        DspComponent comp;
        if (c.bits) {
            const WaveFormatEx f = pcmFormat(uint16_t(c.bits), uint16_t(c.channels), 22050);
            comp.SetPWaveFormat(&f);
        }
        comp.SetBufferSize(c.requested);
        EXPECT_EQ(comp.GetBufferSize(), c.requested);
        comp.Opened();
        EXPECT_EQ(comp.GetBufferSize(), c.effective);
        comp.Closed();
        EXPECT_EQ(comp.GetBufferSize(), c.requested);
    }
}

TEST(DspChain, LifecycleBroadcastOrder) {
    // I1 > I2 > DEV > I3 > DEV2 > I4: a device reaches the plain components from the head down
    // to the next device, which ends the walk; for Stopped and Closed that device comes first.
    struct Case {
        Lifecycle step;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {Lifecycle::Opened, "Opened", "I1:Opened I2:Opened I3:Opened DEV2:Opened DEV:Opened"},
        {Lifecycle::Started, "Started", "I1:Started I2:Started I3:Started DEV2:Started DEV:Started"},
        {Lifecycle::Paused, "Paused", "I1:Paused I2:Paused I3:Paused DEV2:Paused DEV:Paused"},
        {Lifecycle::Restarted, "Restarted",
         "I1:Restarted I2:Restarted I3:Restarted DEV2:Restarted DEV:Restarted"},
        {Lifecycle::Reseting, "Reseting", "I1:Reseting I2:Reseting I3:Reseting DEV2:Reseting DEV:Reseting"},
        {Lifecycle::Looped, "Looped", "I1:Looped I2:Looped I3:Looped DEV2:Looped DEV:Looped"},
        {Lifecycle::Stopped, "Stopped", "DEV2:Stopped I1:Stopped I2:Stopped I3:Stopped DEV:Stopped"},
        {Lifecycle::Closed, "Closed", "DEV2:Closed I1:Closed I2:Closed I3:Closed DEV:Closed"},
    };
    const auto joined = [](const std::vector<std::string>& log) {
        std::string text;
        for (const std::string& s : log)
            text += (text.empty() ? "" : " ") + s;
        return text;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> log;
        Plain i1("I1", log), i2("I2", log), i3("I3", log), i4("I4", log);
        Device dev("DEV", log), dev2("DEV2", log);
        i1.SetOutput(&i2);
        i2.SetOutput(&dev);
        dev.SetOutput(&i3);
        i3.SetOutput(&dev2);
        dev2.SetOutput(&i4);
        dev.SetBufferSize(4096);
        log.clear(); // linking stops each component on the way
        dev.broadcast(c.step);
        EXPECT_EQ(joined(log), c.expected);
        EXPECT_FALSE(dev.FedByDevice());
        if (c.step == Lifecycle::Opened) {
            EXPECT_EQ(i1.GetBufferSize(), 4096u); // given the device's size first
            EXPECT_EQ(i4.GetBufferSize(), DspComponent::kDefaultBufferSize);
        }
        // The device further down is fed by DEV: its own walk starts at itself.
        log.clear();
        dev2.broadcast(c.step);
        EXPECT_TRUE(dev2.FedByDevice());
        EXPECT_EQ(joined(log), std::string("I4:") + c.name + " DEV2:" + c.name);
    }
}

TEST(DspChain, BufferCallsAndEvents) {
    DspComponent head, middle, tail;
    head.SetOutput(&middle);
    middle.SetOutput(&tail);
    std::vector<std::string> seen;
    head.OnBufferLoad = [&](DspComponent&, ChainBuffer* h, bool& more) {
        seen.push_back("load");
        h->dwBytesRecorded = 5;
        more = true;
    };
    middle.OnBufferLoad = [&](DspComponent&, ChainBuffer*, bool&) { seen.push_back("middle load"); };
    middle.OnBufferFilled = [&](DspComponent&, ChainBuffer* h) {
        seen.push_back("filled " + std::to_string(h->dwBytesRecorded));
    };
    middle.OnBufferReady = [&](DspComponent&, ChainBuffer*) { seen.push_back("middle ready"); };
    tail.OnBufferReady = [&](DspComponent&, ChainBuffer*) { seen.push_back("tail ready"); };
    uint8_t data[8] = {};
    ChainBuffer h;
    h.lpData = data;
    h.dwCapacity = h.dwBufferLength = 8;
    bool more = false;
    middle.BufferLoad(&h, more);
    EXPECT_TRUE(more);
    middle.BufferReady(&h);
    EXPECT_EQ(seen,
              (std::vector<std::string>{"middle load", "load", "filled 5", "middle ready", "tail ready"}));

    // An interface component reports the steps as events; a stop only when it was started.
    std::vector<std::string> events;
    DspInterface probe;
    for (const auto& [event, label] : {std::pair{&probe.OnOpen, "open"},
                                       {&probe.OnStart, "start"},
                                       {&probe.OnPause, "pause"},
                                       {&probe.OnRestart, "restart"},
                                       {&probe.OnStop, "stop"},
                                       {&probe.OnClosed, "closed"},
                                       {&probe.OnLooped, "looped"}})
        *event = [&events, name = label](DspComponent&) { events.push_back(name); };
    probe.Stopped();
    probe.Opened();
    probe.Started();
    probe.Paused();
    probe.Restarted();
    probe.Looped();
    probe.Stopped();
    probe.Closed();
    EXPECT_EQ(events,
              (std::vector<std::string>{"open", "start", "pause", "restart", "looped", "stop", "closed"}));
}
