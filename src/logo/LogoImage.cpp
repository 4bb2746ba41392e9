#include "LogoImage.h"

#include "MessageBox.h"
#include "Text.h"

#include <new>

bool LogoImage::decode(const std::uint8_t* data, std::size_t length) {
    pixels_ = std::vector<std::uint8_t>();
    width_ = 0;
    height_ = 0;
    bool decoded = false;
    try {
        decoded = decodeRows(data, length);
    } catch (const std::bad_alloc&) {
        decoded = false;
    }
    if (!decoded) ui::messageBox(resources::text("PNGエラー"), MB_OK);
    return decoded;
}

std::span<const std::uint8_t> LogoImage::row(std::uint32_t y) const {
    if (pixels_.empty() || y >= height_) return {};
    const std::size_t rowBytes = std::size_t{width_} * kBytesPerPixel;
    return {pixels_.data() + y * rowBytes, rowBytes};
}
