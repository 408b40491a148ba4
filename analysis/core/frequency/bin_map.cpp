#include "bin_map.h"

#include <algorithm>

namespace vk350 {

void BinMap::Resize(std::int32_t cells, std::int32_t bins) {
    cells = std::max(cells, 1);
    bins_ = std::max(bins, 1);
    first_.assign(std::size_t(cells), 0);
    end_.assign(std::size_t(cells), kNone);
    runs_.clear();
    runs_.reserve(std::size_t(cells) + 1);
}

std::int32_t BinMap::Clamp(std::int32_t bin) const {
    return std::clamp(bin, 0, bins_ - 1);
}

void BinMap::Finish() {
    const std::int32_t cells = Cells();
    // Tables filled by someone else may hold anything: keep every index inside the bins.
    for (std::int32_t i = 0; i < cells; ++i) {
        std::int32_t& first = first_[std::size_t(i)];
        std::int32_t& end = end_[std::size_t(i)];
        if (first < 0) {
            first = kNone;
            end = kNone;
            continue;
        }
        first = Clamp(first);
        end = std::min(end, bins_);
        if (end <= first + 1)
            end = kNone;
    }
    for (std::int32_t i = cells - 1; i >= 1; --i) {
        if (first_[std::size_t(i)] != kNone && first_[std::size_t(i)] == first_[std::size_t(i - 1)]) {
            first_[std::size_t(i)] = kNone;
            end_[std::size_t(i)] = kNone;
        }
    }
    runs_.clear();
    for (std::int32_t i = 0; i < cells; ++i) {
        const std::int32_t first = first_[std::size_t(i)];
        if (first == kNone)
            continue;
        if (!runs_.empty())
            runs_.back().endCell = i;
        const std::int32_t end = end_[std::size_t(i)];
        runs_.push_back({i, cells, first, end == kNone ? first + 1 : end});
    }
}

} // namespace vk350
