#include "OffscreenCanvas.h"

#include <algorithm>

OffscreenCanvas::OffscreenCanvas(std::uint32_t width, std::uint32_t height, std::uint32_t fill)
    : width_(width), height_(height), pixels_(std::size_t{width} * height, fill) {}

void OffscreenCanvas::setPixel(std::uint32_t x, std::uint32_t y, std::uint32_t colour) {
    if (x < width_ && y < height_) pixels_[std::size_t{y} * width_ + x] = colour;
}

void OffscreenCanvas::drawKeyed(const OffscreenCanvas& picture, std::uint32_t keyColour) {
    const std::uint32_t columns = std::min(width_, picture.width_);
    const std::uint32_t rows = std::min(height_, picture.height_);
    for (std::uint32_t y = 0; y < rows; ++y) {
        const std::uint32_t* from = &picture.pixels_[std::size_t{y} * picture.width_];
        std::uint32_t* to = &pixels_[std::size_t{y} * width_];
        for (std::uint32_t x = 0; x < columns; ++x) {
            if (from[x] != keyColour) to[x] = from[x];
        }
    }
}
