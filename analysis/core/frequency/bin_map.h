// Which transform bins each display cell (a pixel column of the spectrum, a row of the
// spectrogram) shows. Cells that show the same bin as their neighbour are joined into one run;
// a cell spanning several bins shows the largest of them.
#pragma once

#include <cstdint>
#include <vector>

namespace vk350 {

class BinMap {
public:
    static constexpr std::int32_t kNone = -1;

    struct Run {
        std::int32_t firstCell;
        std::int32_t endCell; // exclusive
        std::int32_t firstBin;
        std::int32_t endBin; // exclusive, at least firstBin + 1
    };

    // Cells and bins each at least 1; every cell gets bin 0 until the tables are filled.
    void Resize(std::int32_t cells, std::int32_t bins);
    std::int32_t Cells() const { return std::int32_t(first_.size()); }
    std::int32_t Bins() const { return bins_; }

    // The tables to fill before Finish: the bin of every cell and the bin where its range ends.
    std::vector<std::int32_t>& FirstBins() { return first_; }
    std::vector<std::int32_t>& EndBins() { return end_; }
    const std::vector<std::int32_t>& FirstBins() const { return first_; }
    const std::vector<std::int32_t>& EndBins() const { return end_; }

    // Fills the tables from a bin position per cell edge: bin(i) for i = 0..Cells, clamped to
    // 0..Bins-1; each cell's end bin is the next cell's bin.
    template <class BinOf> void Fill(BinOf binOf) {
        const std::int32_t cells = Cells();
        std::int32_t next = Clamp(binOf(0));
        for (std::int32_t i = 0; i < cells; ++i) {
            first_[std::size_t(i)] = next;
            next = Clamp(binOf(i + 1));
            end_[std::size_t(i)] = next;
        }
    }

    // Holds every entry to the bins (negative first bins stay "none"), clears end bins not more
    // than one above their cell's bin, marks a cell that repeats its left neighbour's bin as
    // none, and lists the runs.
    void Finish();

    const std::vector<Run>& Runs() const { return runs_; }

private:
    std::int32_t Clamp(std::int32_t bin) const;

    std::int32_t bins_ = 1;
    std::vector<std::int32_t> first_;
    std::vector<std::int32_t> end_;
    std::vector<Run> runs_;
};

} // namespace vk350
