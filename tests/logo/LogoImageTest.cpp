#include "LogoImage.h"
#include "PngBytes.h"
#include "RecordingBackend.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <png.h>
#endif

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

const std::string kPngError = "PNG\x83G\x83\x89\x81[";  // "PNGエラー" in CP932
const std::filesystem::path kSuite = std::filesystem::path(KIVORA_TESTS_DIR) / "logo" / "pngsuite";

std::vector<std::filesystem::path> suiteFiles(bool corrupt) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kSuite)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".png" && (name[0] == 'x') == corrupt) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string suiteFile(const char* name) { return testsupport::readFile((kSuite / name).string()); }

// Decodes from a heap copy of exactly the given bytes, so that AddressSanitizer
// sees any read past them.
bool decodeExactly(LogoImage& image, const std::string& bytes) {
    const std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    return image.decode(copy.data(), copy.size());
}

struct Rgba {
    std::uint8_t red, green, blue, fourth;
    bool operator==(const Rgba&) const = default;
};

Rgba pixelAt(const LogoImage& image, std::uint32_t x, std::uint32_t y) {
    const auto row = image.row(y);
    const std::size_t at = std::size_t{x} * LogoImage::kBytesPerPixel;
    return {row[at], row[at + 1], row[at + 2], row[at + 3]};
}

void PrintTo(const Rgba& pixel, std::ostream* out) {
    *out << "RGBA(" << int{pixel.red} << ", " << int{pixel.green} << ", " << int{pixel.blue} << ", "
         << int{pixel.fourth} << ")";
}

// The Windows build has no libpng to ask: there the suite's valid files are
// checked by size, the pixels on Linux.
#ifndef _WIN32
// libpng's simplified reader, as an independent opinion on the samples. The
// colour-space chunks are left out first: the logo is drawn with the samples
// as stored, while the simplified reader would correct them for gamma.
// 16-bit files are read with 16-bit output (its 8-bit output garbles
// interlaced 16-bit files), which premultiplies alpha: their colours can be
// compared only where a pixel is opaque.
struct ReferencePixel {
    Rgba rgba;
    bool colourKnown;
};

struct Reference {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool hasAlpha = false;
    std::vector<ReferencePixel> pixels;
};

std::string withoutColourSpaceChunks(const std::string& png) {
    std::string kept = png.substr(0, 8);
    for (std::size_t offset = 8; offset + 12 <= png.size();) {
        std::size_t length = 0;
        for (std::size_t i = 0; i < 4; ++i) length = length << 8 | static_cast<std::uint8_t>(png[offset + i]);
        const std::string type = png.substr(offset + 4, 4);
        if (type != "gAMA" && type != "cHRM" && type != "sRGB" && type != "iCCP" && type != "sBIT") {
            kept += png.substr(offset, 12 + length);
        }
        offset += 12 + length;
    }
    return kept;
}

std::optional<Reference> referenceDecode(const std::string& file, bool sixteenBit) {
    const std::string png = withoutColourSpaceChunks(file);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return std::nullopt;
    Reference reference{image.width, image.height, (image.format & PNG_FORMAT_FLAG_ALPHA) != 0, {}};
    image.format = sixteenBit ? PNG_FORMAT_LINEAR_RGB_ALPHA : PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    for (std::size_t i = 0; i < std::size_t{image.width} * image.height; ++i) {
        if (sixteenBit) {
            std::uint16_t samples[4];
            std::memcpy(samples, &buffer[i * sizeof samples], sizeof samples);
            auto high = [](std::uint16_t sample) { return static_cast<std::uint8_t>(sample >> 8); };
            reference.pixels.push_back({{high(samples[0]), high(samples[1]), high(samples[2]), high(samples[3])},
                                        samples[3] == 0xFFFF});
        } else {
            const std::uint8_t* p = &buffer[i * 4];
            reference.pixels.push_back({{p[0], p[1], p[2], p[3]}, true});
        }
    }
    return reference;
}
#endif

}  // namespace

#ifndef _WIN32
TEST(LogoImageTest, EveryValidSuiteImageDecodesToFourBytesPerPixelAsTheReferenceSees) {
    RecordingBackend backend;
    const auto files = suiteFiles(false);
    ASSERT_GT(files.size(), 150u);
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::string file = testsupport::readFile(path.string());
        const int bitDepth = static_cast<std::uint8_t>(file[24]);
        const int colourType = static_cast<std::uint8_t>(file[25]);
        const auto reference = referenceDecode(file, bitDepth == 16);
        ASSERT_TRUE(reference.has_value());
        LogoImage image;
        ASSERT_TRUE(decodeExactly(image, file));
        ASSERT_EQ(image.width(), reference->width);
        ASSERT_EQ(image.height(), reference->height);

        // Grey and RGB images with a transparent colour get the filler: only
        // alpha channels and a palette's transparency become alpha.
        const bool keepsAlpha = colourType == 4 || colourType == 6 || (colourType == 3 && reference->hasAlpha);
        int mismatches = 0;
        for (std::uint32_t y = 0; y < image.height(); ++y) {
            ASSERT_EQ(image.row(y).size(), std::size_t{image.width()} * 4);
            for (std::uint32_t x = 0; x < image.width(); ++x) {
                const ReferencePixel& expected = reference->pixels[std::size_t{y} * image.width() + x];
                const Rgba actual = pixelAt(image, x, y);
                const std::uint8_t wantedFourth = keepsAlpha ? expected.rgba.fourth : std::uint8_t{0xFF};
                const bool same = actual.fourth == wantedFourth &&
                                  (!expected.colourKnown || (actual.red == expected.rgba.red &&
                                                             actual.green == expected.rgba.green &&
                                                             actual.blue == expected.rgba.blue));
                if (!same && ++mismatches <= 3) {
                    ADD_FAILURE() << "at (" << x << ", " << y << ") " << testing::PrintToString(actual)
                                  << " where the reference has " << testing::PrintToString(expected.rgba);
                }
                if (colourType == 0 || colourType == 4) {
                    EXPECT_TRUE(actual.red == actual.green && actual.green == actual.blue);
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
    EXPECT_TRUE(backend.shown.empty());
}

#else
TEST(LogoImageTest, EveryValidSuiteImageDecodesToItsHeadersSize) {
    RecordingBackend backend;
    const auto files = suiteFiles(false);
    ASSERT_GT(files.size(), 150u);
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::string file = testsupport::readFile(path.string());
        auto headerField = [&file](std::size_t at) {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<std::uint8_t>(file[at + i]);
            return value;
        };
        LogoImage image;
        ASSERT_TRUE(decodeExactly(image, file));
        EXPECT_EQ(image.width(), headerField(16));
        EXPECT_EQ(image.height(), headerField(20));
        for (std::uint32_t y = 0; y < image.height(); ++y) ASSERT_EQ(image.row(y).size(), std::size_t{image.width()} * 4);
    }
    EXPECT_TRUE(backend.shown.empty());
}
#endif

TEST(LogoImageTest, SamplesExpandToRedGreenBlueAndAFourthByte) {
    using pngbytes::RawImage;
    struct Case {
        const char* what;
        RawImage image;
        std::vector<Rgba> expected;
    };
    const Case cases[] = {
        {"2-bit palette, second entry transparent",
         {4, 1, 2, 3, "\x1B", std::string("\xFF\x00\xFF\xC8\x0A\x14\x00\x80\x00\x01\x02\x03", 12),
          std::string("\xFF\x00", 2)},
         {{255, 0, 255, 255}, {200, 10, 20, 0}, {0, 128, 0, 255}, {1, 2, 3, 255}}},
        {"1-bit palette",
         {3, 1, 1, 3, "\xA0", "\x0A\x14\x1E\xFA\xF0\xE6", ""},
         {{250, 240, 230, 255}, {10, 20, 30, 255}, {250, 240, 230, 255}}},
        {"4-bit palette",
         {2, 1, 4, 3, "\x10", std::string("\x00\x00\x00\xFF\x00\xFF", 6), ""},
         {{255, 0, 255, 255}, {0, 0, 0, 255}}},
        {"2-bit grey", {4, 1, 2, 0, "\x1B", "", ""},
         {{0, 0, 0, 255}, {85, 85, 85, 255}, {170, 170, 170, 255}, {255, 255, 255, 255}}},
        {"8-bit grey", {3, 1, 8, 0, std::string("\x00\x80\xFF", 3), "", ""},
         {{0, 0, 0, 255}, {128, 128, 128, 255}, {255, 255, 255, 255}}},
        {"8-bit grey and alpha", {1, 1, 8, 4, "\x4D\x21", "", ""}, {{77, 77, 77, 33}}},
        {"8-bit RGB with a transparent colour",
         {2, 1, 8, 2, std::string("\xFF\x00\xFF\x01\x02\x03", 6), "", std::string("\x00\xFF\x00\x00\x00\xFF", 6)},
         {{255, 0, 255, 255}, {1, 2, 3, 255}}},
        {"16-bit RGBA", {1, 1, 16, 6, std::string("\x12\x34\xAB\xCD\xFF\x00\x80\x01", 8), "", ""}, {{0x12, 0xAB, 0xFF, 0x80}}},
        {"16-bit grey", {1, 1, 16, 0, "\xC3\x7F", "", ""}, {{0xC3, 0xC3, 0xC3, 255}}},
    };
    RecordingBackend backend;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogoImage image;
        ASSERT_TRUE(decodeExactly(image, pngbytes::encode(c.image)));
        ASSERT_EQ(image.width(), c.expected.size());
        for (std::uint32_t x = 0; x < image.width(); ++x) EXPECT_EQ(pixelAt(image, x, 0), c.expected[x]) << "x " << x;
    }
    EXPECT_TRUE(backend.shown.empty());
}

TEST(LogoImageTest, EveryCorruptSuiteFileIsRefusedWithOneMessage) {
    const auto files = suiteFiles(true);
    ASSERT_EQ(files.size(), 14u);
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        RecordingBackend backend;
        LogoImage image;
        EXPECT_FALSE(decodeExactly(image, testsupport::readFile(path.string())));
        EXPECT_FALSE(image.hasRows());
        ASSERT_EQ(backend.shown.size(), 1u);
        EXPECT_EQ(backend.shown[0].text, kPngError);
        EXPECT_EQ(backend.shown[0].caption, "Kivora");
        EXPECT_EQ(backend.shown[0].type, MB_OK);
    }
}

TEST(LogoImageTest, AFileCutShortAnywhereIsRefused) {
    for (const char* name : {"basn6a08.png", "basi3p02.png"}) {
        SCOPED_TRACE(name);
        const std::string file = suiteFile(name);
        const auto imageData = pngbytes::findChunk(file, "IDAT");
        ASSERT_NE(imageData.offset, std::string::npos);
        RecordingBackend backend;
        for (std::size_t length = 0; length < file.size(); ++length) {
            LogoImage image;
            EXPECT_FALSE(decodeExactly(image, file.substr(0, length))) << "cut to " << length;
            EXPECT_FALSE(image.hasRows());
        }
        // Among them every cut inside the image data.
        EXPECT_EQ(backend.shown.size(), file.size());
        LogoImage cutInsideImageData;
        EXPECT_FALSE(decodeExactly(cutInsideImageData, file.substr(0, imageData.offset + imageData.length / 2)));
        EXPECT_EQ(cutInsideImageData.width(), 32u) << "the header was read before the failure";
    }
}

TEST(LogoImageTest, ImagesLargerThanALogoCanBeAreRefusedUnread) {
    RecordingBackend backend;
    pngbytes::RawImage widest{LogoImage::kMaxSide, 1, 8, 0, std::string(LogoImage::kMaxSide, '\x40'), "", ""};
    LogoImage image;
    EXPECT_TRUE(decodeExactly(image, pngbytes::encode(widest)));
    EXPECT_TRUE(backend.shown.empty());

    widest.width = LogoImage::kMaxSide + 1;
    widest.rows += '\x40';
    EXPECT_FALSE(decodeExactly(image, pngbytes::encode(widest)));
    // A header claiming a vast image over a few bytes of data.
    const pngbytes::RawImage tiny{1, 1, 8, 2, "\x01\x02\x03", "", ""};
    EXPECT_FALSE(decodeExactly(image, pngbytes::withHeaderSize(pngbytes::encode(tiny), 1000000, 1000000)));
    EXPECT_FALSE(image.hasRows());
    EXPECT_EQ(backend.shown.size(), 2u);
}

TEST(LogoImageTest, DecodingAgainReplacesWhatTheFormerDecodeLeft) {
    RecordingBackend backend;
    LogoImage image;
    ASSERT_TRUE(decodeExactly(image, suiteFile("basn6a08.png")));
    ASSERT_TRUE(decodeExactly(image, suiteFile("s01n3p01.png")));
    EXPECT_EQ(image.width(), 1u);
    EXPECT_EQ(image.height(), 1u);
    EXPECT_EQ(image.row(0).size(), 4u);
    EXPECT_TRUE(image.row(1).empty());

    EXPECT_FALSE(decodeExactly(image, "plain text, not a picture"));
    EXPECT_FALSE(image.hasRows());
    EXPECT_TRUE(image.row(0).empty());
    EXPECT_EQ(image.width(), 0u) << "no header was read, so nothing of the former image remains";
    EXPECT_EQ(backend.shown.size(), 1u);
}
