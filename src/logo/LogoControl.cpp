#include "LogoControl.h"

#include "LogoImage.h"

#include "windows.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// The whole file, or nothing when it is not a readable regular file or is
// too large to be a logo.
std::vector<std::uint8_t> readWholeFile(const char* path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > LogoControl::kMaxFileBytes) return {};
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

// Case-sensitive on purpose: a name such as "Logo.Png" is not taken.
bool namesPngFile(const char* path) {
    return std::strstr(path, ".png") != nullptr || std::strstr(path, ".PNG") != nullptr;
}

}  // namespace

int LogoControl::loadFromFile(const char* path) {
    if (path == nullptr || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return 0;
    canvas_.reset();
    if (!namesPngFile(path)) return 0;
    const std::vector<std::uint8_t> bytes = readWholeFile(path);
    return buildPicture(bytes.data(), bytes.size());
}

int LogoControl::buildPicture(const std::uint8_t* data, std::size_t length) {
    if (length == 0) return 0;
    LogoImage image;
    if (!image.decode(data, length)) return 0;
    OffscreenCanvas canvas(image.width(), image.height());
    for (std::uint32_t y = 0; y < image.height(); ++y) {
        const auto row = image.row(y);
        // The fourth byte, alpha or filler, plays no part: only the key colour is transparent.
        for (std::uint32_t x = 0; x < image.width(); ++x) {
            const std::uint8_t* pixel = &row[x * LogoImage::kBytesPerPixel];
            canvas.setPixel(x, y, rgbColour(pixel[0], pixel[1], pixel[2]));
        }
    }
    canvas_ = std::move(canvas);
    return 1;
}

void LogoControl::paint(OffscreenCanvas& target) const {
    if (canvas_) target.drawKeyed(*canvas_, kKeyColour);
}

std::vector<std::uint32_t> LogoControl::composedPixels(std::uint32_t background) const {
    if (!canvas_) return {};
    OffscreenCanvas target(canvas_->width(), canvas_->height(), background);
    paint(target);
    return std::move(target).takePixels();
}
