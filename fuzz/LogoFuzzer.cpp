// Logo.png as any bytes: decoded, made into the form's picture and drawn, as
// the form does. No backend is current, so the "PNGエラー" box is not shown.
#include "FuzzSupport.h"
#include "LogoControl.h"

#include <zlib.h>

#include <vector>

namespace {

std::uint32_t bigEndian(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// Gives every whole chunk its right CRC. A mutated chunk would otherwise stop
// libpng at its checksum, and the header, palette and transparency variants
// the decoder has to cope with would hardly ever reach it.
void fixChunkChecksums(std::vector<std::uint8_t>& png) {
    constexpr std::size_t kSignatureBytes = 8;
    std::size_t at = kSignatureBytes;
    while (png.size() - at >= 12) {
        const std::size_t length = bigEndian(&png[at]);
        if (length > png.size() - at - 12) return;
        const std::uint32_t crc = static_cast<std::uint32_t>(
            crc32(crc32(0, nullptr, 0), &png[at + 4], static_cast<uInt>(length + 4)));
        std::uint8_t* out = &png[at + 8 + length];
        out[0] = static_cast<std::uint8_t>(crc >> 24);
        out[1] = static_cast<std::uint8_t>(crc >> 16);
        out[2] = static_cast<std::uint8_t>(crc >> 8);
        out[3] = static_cast<std::uint8_t>(crc);
        at += length + 12;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::ScratchFile file("Logo.png");
    std::vector<std::uint8_t> png(data, data + size);
    if (png.size() >= 8) fixChunkChecksums(png);
    LogoControl logo;
    const int built = logo.loadFromFile(file.write(png.data(), png.size()));
    fuzzing::require(built == (logo.hasPicture() ? 1 : 0), "a picture exists exactly when one was built");
    const std::vector<std::uint32_t> pixels = logo.composedPixels(rgbColour(0xF0, 0xF0, 0xF0));
    fuzzing::require(pixels.size() == std::size_t{logo.width()} * logo.height(),
                     "the composed picture has the logo's size");
    return 0;
}
