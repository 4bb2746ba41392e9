#include "PngBytes.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace pngbytes {

namespace {

const char kSignature[] = "\x89PNG\r\n\x1a\n";

std::string bigEndian32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::uint32_t readBigEndian32(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
    return value;
}

std::uint32_t chunkCrc(const std::string& typeAndData) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()), static_cast<uInt>(typeAndData.size())));
}

std::string chunk(const char* type, const std::string& data) {
    const std::string typeAndData = std::string(type, 4) + data;
    return bigEndian32(static_cast<std::uint32_t>(data.size())) + typeAndData +
           bigEndian32(chunkCrc(typeAndData));
}

int channels(int colourType) {
    switch (colourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

}  // namespace

std::string encode(const RawImage& image) {
    const std::size_t rowBytes =
        (std::size_t{image.width} * channels(image.colourType) * image.bitDepth + 7) / 8;
    EXPECT_EQ(image.rows.size(), rowBytes * image.height) << "rows do not fit the header";
    std::string filtered;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        filtered += '\0';  // filter type None
        filtered += image.rows.substr(y * rowBytes, rowBytes);
    }
    uLongf compressedSize = compressBound(static_cast<uLong>(filtered.size()));
    std::vector<Bytef> compressed(compressedSize);
    EXPECT_EQ(compress(compressed.data(), &compressedSize, reinterpret_cast<const Bytef*>(filtered.data()),
                       static_cast<uLong>(filtered.size())),
              Z_OK);

    std::string header = bigEndian32(image.width) + bigEndian32(image.height);
    header += static_cast<char>(image.bitDepth);
    header += static_cast<char>(image.colourType);
    header += std::string(3, '\0');  // deflate, adaptive filtering, not interlaced

    std::string png(kSignature, 8);
    png += chunk("IHDR", header);
    if (!image.palette.empty()) png += chunk("PLTE", image.palette);
    if (!image.transparency.empty()) png += chunk("tRNS", image.transparency);
    png += chunk("IDAT", std::string(reinterpret_cast<const char*>(compressed.data()), compressedSize));
    png += chunk("IEND", "");
    return png;
}

ChunkPlace findChunk(const std::string& png, const char* type) {
    std::size_t offset = 8;
    while (offset + 8 <= png.size()) {
        const std::uint32_t length = readBigEndian32(png, offset);
        if (png.compare(offset + 4, 4, type) == 0) return {offset + 8, length};
        offset += 12 + std::size_t{length};
    }
    return {};
}

std::string withHeaderSize(std::string png, std::uint32_t width, std::uint32_t height) {
    const ChunkPlace header = findChunk(png, "IHDR");
    png.replace(header.offset, 8, bigEndian32(width) + bigEndian32(height));
    const std::string typeAndData = png.substr(header.offset - 4, 4 + header.length);
    png.replace(header.offset + header.length, 4, bigEndian32(chunkCrc(typeAndData)));
    return png;
}

}  // namespace pngbytes
