// The provider's logo on the new-connection form: Logo.png decoded once into
// an off-screen picture, then drawn at its natural size from the control's
// top-left corner with magenta as the transparent colour.
#pragma once

#include "OffscreenCanvas.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class LogoControl {
public:
    static constexpr std::uint32_t kKeyColour = rgbColour(255, 0, 255);
    // Far beyond any logo; a larger file is not read into memory.
    static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

    // Builds the picture from the PNG file at `path`. Returns 1 when it was
    // built, else 0: a null or missing path changes nothing; otherwise the
    // previous picture is gone, and a file that cannot be read, is empty or
    // whose path contains neither ".png" nor ".PNG" leaves the control empty
    // without a word, while a damaged PNG is reported by the decoder.
    int loadFromFile(const char* path);

    bool hasPicture() const { return canvas_.has_value(); }
    // The picture's natural size; 0 × 0 without one.
    std::uint32_t width() const { return canvas_ ? canvas_->width() : 0; }
    std::uint32_t height() const { return canvas_ ? canvas_->height() : 0; }

    // Draws the picture onto `target`, whose top-left is the control's;
    // without a picture the target is left as it is.
    void paint(OffscreenCanvas& target) const;

    // The picture as it looks on a plain `background`: width() × height()
    // pixels, row-major, ready to be shown as the control's image. Empty
    // without a picture.
    std::vector<std::uint32_t> composedPixels(std::uint32_t background) const;

private:
    int buildPicture(const std::uint8_t* data, std::size_t length);

    std::optional<OffscreenCanvas> canvas_;
};
