#include "LogoControl.h"
#include "OffscreenCanvas.h"
#include "PngBytes.h"
#include "RecordingBackend.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kPngError = "PNG\x83G\x83\x89\x81[";  // "PNGエラー" in CP932
constexpr std::uint32_t kMagenta = rgbColour(255, 0, 255);
constexpr std::uint32_t kBackground = rgbColour(0xD4, 0xD0, 0xC8);

// A target whose every pixel differs, so a test can tell which ones were kept.
OffscreenCanvas patternedTarget(std::uint32_t width, std::uint32_t height) {
    OffscreenCanvas target(width, height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) target.setPixel(x, y, 0x101000 + y * width + x);
    }
    return target;
}

OffscreenCanvas canvasOf(std::uint32_t width, std::uint32_t height, const std::vector<std::uint32_t>& pixels) {
    OffscreenCanvas canvas(width, height);
    for (std::uint32_t i = 0; i < pixels.size(); ++i) canvas.setPixel(i % width, i / width, pixels[i]);
    return canvas;
}

// 3 × 2 RGBA: magenta opaque and fully transparent, colours next to magenta,
// and a clear pixel that is not magenta.
std::string keyedLogo() {
    const char rows[] =
        "\xFF\x00\xFF\xFF"
        "\xFE\x00\xFF\xFF"
        "\xFF\x00\xFE\xFF"
        "\xFF\x00\xFF\x00"
        "\x12\x34\x56\x00"
        "\xFF\x01\xFF\x80";
    return pngbytes::encode({3, 2, 8, 6, std::string(rows, sizeof rows - 1), "", ""});
}

const std::vector<std::uint32_t> kKeyedLogoOnBackground = {
    kBackground, rgbColour(254, 0, 255), rgbColour(255, 0, 254),
    kBackground, rgbColour(0x12, 0x34, 0x56), rgbColour(255, 1, 255)};

std::string onePixelLogo() { return pngbytes::encode({1, 1, 8, 2, "\x01\x02\x03", "", ""}); }

class LogoControlTest : public testing::Test {
protected:
    std::string place(const std::string& name, const std::string& bytes) {
        const std::string path = dir.file(name);
        testsupport::writeFile(path, bytes);
        return path;
    }

    testsupport::TempDir dir;
    RecordingBackend backend;
    LogoControl logo;
};

}  // namespace

TEST(OffscreenCanvasTest, KeyedDrawingLeavesExactlyTheKeyPixelsShowingTheTarget) {
    const std::vector<std::uint32_t> picture = {
        kMagenta, rgbColour(254, 0, 255), rgbColour(255, 0, 254), 0,
        rgbColour(255, 1, 255), 0xFFFFFF, kMagenta, rgbColour(255, 0, 0)};
    OffscreenCanvas target = patternedTarget(4, 2);
    const std::vector<std::uint32_t> before = target.pixels();
    target.drawKeyed(canvasOf(4, 2, picture), kMagenta);
    for (std::size_t i = 0; i < picture.size(); ++i) {
        EXPECT_EQ(target.pixels()[i], picture[i] == kMagenta ? before[i] : picture[i]) << "pixel " << i;
    }

    // A target smaller than the picture takes only what fits.
    OffscreenCanvas small = patternedTarget(2, 1);
    small.drawKeyed(canvasOf(4, 2, picture), kMagenta);
    EXPECT_EQ(small.pixels(), (std::vector<std::uint32_t>{0x101000, rgbColour(254, 0, 255)}));
}

TEST_F(LogoControlTest, DrawsThePictureWithMagentaShowingWhatLiesBeneathAndAlphaIgnored) {
    ASSERT_EQ(logo.loadFromFile(place("Logo.png", keyedLogo()).c_str()), 1);
    EXPECT_EQ(logo.width(), 3u);
    EXPECT_EQ(logo.height(), 2u);
    EXPECT_EQ(logo.composedPixels(kBackground), kKeyedLogoOnBackground);

    OffscreenCanvas dialog = patternedTarget(5, 3);
    const std::vector<std::uint32_t> before = dialog.pixels();
    logo.paint(dialog);
    for (std::uint32_t y = 0; y < 3; ++y) {
        for (std::uint32_t x = 0; x < 5; ++x) {
            const std::size_t at = y * 5 + x;
            const bool onPicture = x < 3 && y < 2;
            const std::uint32_t drawn = onPicture ? kKeyedLogoOnBackground[y * 3 + x] : kBackground;
            EXPECT_EQ(dialog.pixels()[at], !onPicture || drawn == kBackground ? before[at] : drawn)
                << "(" << x << ", " << y << ")";
        }
    }
    EXPECT_TRUE(backend.shown.empty());
}

TEST_F(LogoControlTest, TakesOnlyPathsWithPngInLowerOrUpperCase) {
    EXPECT_EQ(logo.loadFromFile(place("Logo.png", onePixelLogo()).c_str()), 1);
    EXPECT_EQ(logo.loadFromFile(place("LOGO.PNG", onePixelLogo()).c_str()), 1);
    EXPECT_EQ(logo.loadFromFile(place("Logo.Png", onePixelLogo()).c_str()), 0);
    EXPECT_FALSE(logo.hasPicture()) << "a refused file still replaces the former picture";
    EXPECT_TRUE(logo.composedPixels(kBackground).empty());
    EXPECT_TRUE(backend.shown.empty());
}

TEST_F(LogoControlTest, AMissingFileChangesNothing) {
    ASSERT_EQ(logo.loadFromFile(place("Logo.png", keyedLogo()).c_str()), 1);
    EXPECT_EQ(logo.loadFromFile(dir.file("Gone.png").c_str()), 0);
    EXPECT_EQ(logo.loadFromFile(nullptr), 0);
    EXPECT_EQ(logo.composedPixels(kBackground), kKeyedLogoOnBackground);
    EXPECT_TRUE(backend.shown.empty());
}

TEST_F(LogoControlTest, TextNamedLogoPngIsReportedOnceAndDrawsNothing) {
    ASSERT_EQ(logo.loadFromFile(place("Logo.png", keyedLogo()).c_str()), 1);
    EXPECT_EQ(logo.loadFromFile(place("Logo.png", "ISP_INF.csv belongs elsewhere\r\n").c_str()), 0);
    ASSERT_EQ(backend.shown.size(), 1u);
    EXPECT_EQ(backend.shown[0].text, kPngError);
    EXPECT_EQ(backend.shown[0].caption, "Kivora");
    EXPECT_EQ(backend.shown[0].type, MB_OK);

    EXPECT_FALSE(logo.hasPicture());
    OffscreenCanvas dialog = patternedTarget(3, 2);
    const std::vector<std::uint32_t> before = dialog.pixels();
    logo.paint(dialog);
    EXPECT_EQ(dialog.pixels(), before);
}

TEST_F(LogoControlTest, FilesThatCannotBeReadLeaveTheControlEmptyWithoutAWord) {
    std::filesystem::create_directory(dir.file("Folder.png"));
    const std::string tooLarge = place("Large.png", "");
    std::filesystem::resize_file(tooLarge, LogoControl::kMaxFileBytes + 1);
    for (const std::string& path : {place("Empty.png", ""), dir.file("Folder.png"), tooLarge}) {
        SCOPED_TRACE(path);
        ASSERT_EQ(logo.loadFromFile(place("Logo.png", keyedLogo()).c_str()), 1);
        EXPECT_EQ(logo.loadFromFile(path.c_str()), 0);
        EXPECT_FALSE(logo.hasPicture());
    }
    EXPECT_TRUE(backend.shown.empty());
}

TEST_F(LogoControlTest, LoadingAgainReplacesThePicture) {
    ASSERT_EQ(logo.loadFromFile(place("Logo.png", keyedLogo()).c_str()), 1);
    ASSERT_EQ(logo.loadFromFile(place("Small.png", onePixelLogo()).c_str()), 1);
    EXPECT_EQ(logo.composedPixels(kBackground), (std::vector<std::uint32_t>{rgbColour(1, 2, 3)}));
}

// The form has room for a logo left of its user-name and password labels;
// anything larger runs under them.
TEST_F(LogoControlTest, TheDemoProvidersLogoFitsBesideTheLabelsWithTransparentAreas) {
    const std::string path = std::string(KIVORA_TESTS_DIR) + "/../demo/Logo.png";
    ASSERT_EQ(logo.loadFromFile(path.c_str()), 1);
    EXPECT_LE(logo.width(), 64u);
    EXPECT_LE(logo.height(), 60u);
    const std::vector<std::uint32_t> onGrey = logo.composedPixels(kBackground);
    const std::vector<std::uint32_t> onBlack = logo.composedPixels(0);
    std::size_t transparent = 0;
    for (std::size_t i = 0; i < onGrey.size(); ++i) transparent += onGrey[i] != onBlack[i];
    EXPECT_GT(transparent, onGrey.size() / 10);
    EXPECT_LT(transparent, onGrey.size() * 9 / 10);
    EXPECT_TRUE(backend.shown.empty());
}
