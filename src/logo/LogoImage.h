// The provider's logo decoded from PNG bytes into rows of 4-byte pixels:
// red, green, blue, then the alpha sample where the image has alpha and 0xFF
// where it has none. Palette and grey images are expanded to RGB, 16-bit
// samples reduced to 8 bits, rows kept top to bottom as in the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class LogoImage {
public:
    static constexpr std::size_t kBytesPerPixel = 4;
    // A logo sits on a dialog; anything larger is refused as damaged rather
    // than allocated.
    static constexpr std::uint32_t kMaxSide = 4096;

    LogoImage() = default;
    LogoImage(const LogoImage&) = delete;
    LogoImage& operator=(const LogoImage&) = delete;

    // Decodes the PNG in `data` (`length` bytes, which need to live only for
    // the call), replacing what an earlier decode left. On any failure shows
    // "PNGエラー" once and returns false; there are then no rows, and width and
    // height are what the header said, if it was read.
    bool decode(const std::uint8_t* data, std::size_t length);

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    bool hasRows() const { return !pixels_.empty(); }

    // Row y from the top: width() pixels of kBytesPerPixel bytes. Empty when
    // there are no rows or y is out of range.
    std::span<const std::uint8_t> row(std::uint32_t y) const;

private:
    bool decodeRows(const std::uint8_t* data, std::size_t length);

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::vector<std::uint8_t> pixels_;
};
