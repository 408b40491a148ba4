#include "time_ruler.h"

#include <algorithm>
#include <cmath>

namespace vk350 {

double RulerStep(int zoom, int rate, int minSpacing) {
    const double least = double(std::max(1, minSpacing)) * zoom / rate;
    double power = std::pow(10.0, std::floor(std::log10(least)));
    for (;; power *= 10)
        for (double m : {1.0, 2.0, 5.0})
            if (m * power >= least * (1 - 1e-9))
                return m * power;
}

std::vector<RulerTick> RulerTicks(int64_t origin, int zoom, int rate, int columns, int minSpacing) {
    std::vector<RulerTick> ticks;
    if (rate < 1 || zoom < 1 || columns < 1)
        return ticks;
    const double step = RulerStep(zoom, rate, minSpacing);
    const int decimals = std::max(0, int(std::ceil(-std::log10(step) - 1e-9)));
    // Tick i is at i × step seconds, in the column holding its sample.
    const double first = double(origin) / rate / step;
    for (int64_t i = std::max<int64_t>(0, int64_t(std::ceil(first - 1e-9)));; ++i) {
        const double sample = std::round(double(i) * step * rate * 1e6) / 1e6;
        const int64_t column = int64_t(std::floor((sample - double(origin)) / zoom));
        if (column >= columns)
            break;
        if (column >= 0)
            ticks.push_back({int(column), QString::number(double(i) * step, 'f', decimals)});
    }
    return ticks;
}

QString Seconds(int64_t samples, int rate) {
    return QString::number(rate > 0 ? double(samples) / rate : 0.0, 'f', 3) + QStringLiteral(" s");
}

} // namespace vk350
