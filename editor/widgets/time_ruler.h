// Where the ticks of a time ruler go over a view of columns, each column a run of samples.
// The step between ticks is a round number of seconds (1, 2 or 5 times a power of ten), the
// smallest that keeps the ticks a given number of columns apart.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace vk350 {

struct RulerTick {
    int column;
    QString label; // seconds, with the decimals the step needs, e.g. "0.25"
};

// The ticks from column 0 up to columns - 1 for a view starting at sample origin with zoom
// samples per column at rate samples per second. Nothing for a rate, zoom or width below 1.
std::vector<RulerTick> RulerTicks(int64_t origin, int zoom, int rate, int columns, int minSpacing);

// The step the ticks above use, in seconds.
double RulerStep(int zoom, int rate, int minSpacing);

// Seconds with three decimals, the unit after them: "1.250 s".
QString Seconds(int64_t samples, int rate);

} // namespace vk350
