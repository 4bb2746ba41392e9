// PNG files put together byte by byte with zlib, so the decoder's tests know
// every sample without trusting the library under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pngbytes {

// An image as its rows are stored: `rows` holds height rows of packed
// samples, each without its filter byte.
struct RawImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 8;
    int colourType = 2;
    std::string rows;
    std::string palette;       // PLTE content: red, green, blue per entry
    std::string transparency;  // tRNS content
};

std::string encode(const RawImage& image);

// The offset of the first `type` chunk's data in `png` and its length;
// npos when there is none.
struct ChunkPlace {
    std::size_t offset = std::string::npos;
    std::size_t length = 0;
};
ChunkPlace findChunk(const std::string& png, const char* type);

// `png` with the header's width and height replaced (the header's CRC kept valid).
std::string withHeaderSize(std::string png, std::uint32_t width, std::uint32_t height);

}  // namespace pngbytes
