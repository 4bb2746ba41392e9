// Decoding through libpng (the Linux build).
#include "LogoImage.h"

#include "MemorySource.h"

#include <png.h>

#include <csetjmp>

namespace {

// The read, info and end-info structures of one decode, destroyed together.
class PngReadStructs {
public:
    PngReadStructs()
        : png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr)) {
        if (png == nullptr) return;
        info = png_create_info_struct(png);
        endInfo = png_create_info_struct(png);
    }
    ~PngReadStructs() { png_destroy_read_struct(&png, &info, &endInfo); }
    PngReadStructs(const PngReadStructs&) = delete;
    PngReadStructs& operator=(const PngReadStructs&) = delete;

    bool created() const { return png != nullptr && info != nullptr && endInfo != nullptr; }

    png_structp png;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
};

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    png_size_t rowBytes = 0;
};

// libpng's default error handler leaves by longjmp to the setjmp of
// readHeader or readRows. Those two and this callback therefore hold nothing
// with a destructor, so the jump skips no clean-up.
void readFromSource(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (!source->read(out, count)) png_error(png, "read past the end of the data");
}

// Reads the header into `header` as soon as libpng has it and asks for
// 8-bit RGB with a fourth byte per pixel.
bool readHeader(png_structp png, png_infop info, PngHeader* header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int bitDepth = 0;
    int colourType = 0;
    png_get_IHDR(png, info, &header->width, &header->height, &bitDepth, &colourType, nullptr,
                 nullptr, nullptr);
    if (bitDepth < 8) png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    // The drawing side reads 4-byte pixels, so 16-bit samples keep their high byte.
    if (bitDepth > 8) png_set_strip_16(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    header->rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool readRows(png_structp png, png_infop info, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

}  // namespace

bool LogoImage::decodeRows(const std::uint8_t* data, std::size_t length) {
    PngReadStructs structs;
    if (!structs.created()) return false;
    MemorySource source(data, length);
    png_set_read_fn(structs.png, &source, readFromSource);
    png_set_user_limits(structs.png, kMaxSide, kMaxSide);
    // Only the samples are drawn, so every chunk but the image's own is
    // skipped unread. Read, a text chunk that merely claims gigabytes had libpng
    // allocate that much before it found the file far shorter.
    png_set_keep_unknown_chunks(structs.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);

    PngHeader header;
    const bool headerRead = readHeader(structs.png, structs.info, &header);
    width_ = header.width;
    height_ = header.height;
    // The row size is checked, not assumed: every later read of a row relies on it.
    if (!headerRead || header.rowBytes != std::size_t{width_} * kBytesPerPixel) return false;

    std::vector<std::uint8_t> pixels(header.rowBytes * height_);
    std::vector<png_bytep> rows(height_);
    for (std::uint32_t y = 0; y < height_; ++y) rows[y] = pixels.data() + y * header.rowBytes;
    if (!readRows(structs.png, structs.info, rows.data())) return false;
    pixels_ = std::move(pixels);
    return true;
}
