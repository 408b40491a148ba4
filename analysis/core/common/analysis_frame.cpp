#include "analysis_frame.h"

#include <algorithm>

namespace vk350 {

void AnalysisFrame::SetBounds(std::int32_t width, std::int32_t height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    Changed();
    Redraw();
}

void AnalysisFrame::SetBevelExtent(std::int32_t value) {
    value = std::max(value, 0);
    if (value == bevel_)
        return;
    bevel_ = value;
    Changed();
    Redraw();
}

void AnalysisFrame::Redraw() {
    if (OnRedraw)
        OnRedraw();
}

} // namespace vk350
