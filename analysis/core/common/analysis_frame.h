// What the four analyses share: the size of their picture, the bevel inside it, and the event that
// asks the view for a new picture. Each analysis works out its drawing area and scales in
// Changed(). Window thread only.
#pragma once

#include <cstdint>
#include <functional>

namespace vk350 {

class AnalysisFrame {
public:
    AnalysisFrame(std::int32_t width, std::int32_t height) : width_(width), height_(height) {}
    AnalysisFrame(const AnalysisFrame&) = delete;
    AnalysisFrame& operator=(const AnalysisFrame&) = delete;
    virtual ~AnalysisFrame() = default;

    // A property changed what the view shows.
    std::function<void()> OnRedraw;

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    // Negative sizes count as 0.
    void SetBounds(std::int32_t width, std::int32_t height);
    std::int32_t BevelExtent() const { return bevel_; }
    void SetBevelExtent(std::int32_t value);

protected:
    // Everything that follows from the size and the bevel.
    virtual void Changed() = 0;
    void Redraw();

    std::int32_t width_;
    std::int32_t height_;
    std::int32_t bevel_ = 0;
};

} // namespace vk350
