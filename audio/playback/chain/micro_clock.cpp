#include "micro_clock.h"

#include <chrono>

namespace vk350 {

namespace {

class SteadyMicroClock : public MicroClock {
public:
    int64_t now() const override {
        using namespace std::chrono;
        return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

} // namespace

MicroClock& steadyMicroClock() {
    static SteadyMicroClock clock;
    return clock;
}

} // namespace vk350
