// The provider's logo at the largest size the program takes, 4096 x 4096
// RGBA: decoded through LogoImage, and loaded by LogoControl (file read,
// decode and the canvas built pixel by pixel). Baseline: libpng on its own
// reading the same bytes into rows, as a plain caller of it would.
#include "LogoControl.h"
#include "LogoImage.h"
#include "PairTiming.h"
#include "PngBytes.h"
#include "TempSystemRoot.h"

#include <png.h>

#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kSide = LogoImage::kMaxSide;

// Gradients under a little noise: compressed data that is not trivial, in a
// file (some 10 MB) that LogoControl still reads.
const std::string& logoPng() {
    static const std::string png = [] {
        pngbytes::RawImage image;
        image.width = kSide;
        image.height = kSide;
        image.colourType = 6;
        image.rows.resize(std::size_t{kSide} * kSide * 4);
        std::uint32_t noise = 1;
        std::size_t at = 0;
        for (std::uint32_t y = 0; y < kSide; ++y) {
            for (std::uint32_t x = 0; x < kSide; ++x) {
                noise = noise * 1664525u + 1013904223u;
                image.rows[at++] = static_cast<char>(x / 16 + (noise >> 31));
                image.rows[at++] = static_cast<char>(y / 16);
                image.rows[at++] = static_cast<char>((x + y) / 32);
                image.rows[at++] = static_cast<char>(0xFF - (y & 1));
            }
        }
        return pngbytes::encode(image);
    }();
    return png;
}

struct MemoryReader {
    const std::string* bytes;
    std::size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->bytes->size() - reader->offset < count) png_error(png, "read past the end");
    std::memcpy(out, reader->bytes->data() + reader->offset, count);
    reader->offset += count;
}

class ReadStructs {
public:
    ReadStructs() : png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr)) {
        if (png != nullptr) info = png_create_info_struct(png);
    }
    ~ReadStructs() { png_destroy_read_struct(&png, &info, nullptr); }
    ReadStructs(const ReadStructs&) = delete;
    ReadStructs& operator=(const ReadStructs&) = delete;

    png_structp png;
    png_infop info = nullptr;
};

// Only plain data lives in this frame: libpng leaves it by longjmp.
bool readRows(png_structp png, png_infop info, png_bytep pixels, std::size_t rowBytes, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    if (png_get_rowbytes(png, info) != rowBytes) return false;
    for (std::uint32_t y = 0; y < kSide; ++y) rows[y] = pixels + y * rowBytes;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

// The baseline: the file's rows, read by libpng into one block.
bool decodeWithLibpng(const std::string& bytes) {
    ReadStructs structs;
    if (structs.png == nullptr || structs.info == nullptr) return false;
    MemoryReader reader{&bytes, 0};
    png_set_read_fn(structs.png, &reader, readFromMemory);
    const std::size_t rowBytes = std::size_t{kSide} * 4;
    auto pixels = std::make_unique_for_overwrite<png_byte[]>(rowBytes * kSide);
    std::vector<png_bytep> rows(kSide);
    bool read = readRows(structs.png, structs.info, pixels.get(), rowBytes, rows.data());
    benchmark::DoNotOptimize(pixels[rowBytes * kSide - 1]);
    return read;
}

void BM_LogoDecode(benchmark::State& state) {
    const std::string& png = logoPng();
    const auto* data = reinterpret_cast<const std::uint8_t*>(png.data());
    PairTiming timing(state);
    for (auto _ : state) {
        bool decoded = false;
        timing.subject([&] {
            LogoImage image;
            decoded = image.decode(data, png.size()) && image.height() == kSide;
        });
        bool read = false;
        timing.baseline([&] { read = decodeWithLibpng(png); });
        if (!decoded || !read) {
            state.SkipWithError("the logo did not decode");
            break;
        }
    }
    timing.report();
}
BENCHMARK(BM_LogoDecode)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_LogoLoad(benchmark::State& state) {
    testsupport::TempDir directory;
    const std::string path = directory.file("Logo.png");
    testsupport::writeFile(path, logoPng());
    PairTiming timing(state);
    for (auto _ : state) {
        int built = 0;
        timing.subject([&] {
            LogoControl logo;
            built = logo.loadFromFile(path.c_str());
        });
        bool read = false;
        timing.baseline([&] { read = decodeWithLibpng(logoPng()); });
        if (built != 1 || !read) {
            state.SkipWithError("the logo was not built");
            break;
        }
    }
    timing.report();
}
BENCHMARK(BM_LogoLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
