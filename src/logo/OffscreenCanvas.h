// A picture kept in memory for repeated drawing: top-down rows of pixels,
// each 0x00RRGGBB.
#pragma once

#include <cstdint>
#include <vector>

constexpr std::uint32_t rgbColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
}

class OffscreenCanvas {
public:
    OffscreenCanvas(std::uint32_t width, std::uint32_t height, std::uint32_t fill = 0);

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }

    // A point outside the canvas is ignored.
    void setPixel(std::uint32_t x, std::uint32_t y, std::uint32_t colour);

    // Row-major, width() × height() pixels.
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    std::vector<std::uint32_t> takePixels() && { return std::move(pixels_); }

    // Draws `picture` onto this canvas with its top-left corner at (0, 0):
    // pixels exactly equal to `keyColour` leave this canvas's pixel showing,
    // all others replace it. What lies outside this canvas is cut off.
    void drawKeyed(const OffscreenCanvas& picture, std::uint32_t keyColour);

private:
    std::uint32_t width_;
    std::uint32_t height_;
    std::vector<std::uint32_t> pixels_;
};
