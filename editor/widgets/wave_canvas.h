#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>

namespace vk350 {

// Pixel-exact drawing of the waveform control's lines into an RGB32 image, with the dotted
// width-1 pen of a desktop graphics device (three pixels on, three off). The control draws
// thousands of short lines per frame; writing the pixels directly keeps a full redraw far below
// a millisecond. Everything is clipped to the image.
class WaveCanvas {
public:
    explicit WaveCanvas(QImage& image);

    // Solid or dotted pen for the lines that follow; the dot pattern starts afresh.
    void SetDotted(bool dotted);
    // A line including both end points; the dot pattern starts at (x0, y0).
    void Line(int x0, int y0, int x1, int y1, QRgb color);
    // Connected segments through n points; the dot pattern runs on from one segment to the
    // next and every pixel is drawn once.
    void Polyline(const QPoint* points, int n, QRgb color);
    // A solid vertical line at x from y0 to y1, both included, in either order.
    void Column(int x, int y0, int y1, QRgb color);
    // A solid one-pixel square frame with the corners (x0, y0) and (x1, y1), both included.
    void Frame(int x0, int y0, int x1, int y1, QRgb color);
    // Mixes color into the columns x0 to x1 - 1 over every row, alpha 0 (none) to 256 (all).
    void BlendColumns(int x0, int x1, QRgb color, int alpha);
    // Exclusive or of the columns x0 to x1 - 1 over every row with mask; a mask of white inverts.
    void XorColumns(int x0, int x1, QRgb mask);

private:
    void Segment(int x0, int y0, int x1, int y1, QRgb color, bool last);
    void HSpan(int y, int x0, int x1, QRgb color);
    void VSpan(int x, int y0, int y1, QRgb color);

    QRgb* bits_;
    qsizetype stride_; // in pixels
    int width_;
    int height_;
    bool dotted_ = false;
    int phase_ = 0;
};

} // namespace vk350
