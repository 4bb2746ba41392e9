// Logo.png as any bytes: decoded, made into the form's picture and drawn, as
// the form does. No backend is current, so the "PNGエラー" box is not shown.
#include "FuzzSupport.h"
#include "LogoControl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::ScratchFile file("Logo.png");
    LogoControl logo;
    const int built = logo.loadFromFile(file.write(data, size));
    fuzzing::require(built == (logo.hasPicture() ? 1 : 0), "a picture exists exactly when one was built");
    const std::vector<std::uint32_t> pixels = logo.composedPixels(rgbColour(0xF0, 0xF0, 0xF0));
    fuzzing::require(pixels.size() == std::size_t{logo.width()} * logo.height(),
                     "the composed picture has the logo's size");
    return 0;
}
