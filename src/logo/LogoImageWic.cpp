// Decoding through the Windows Imaging Component (the Windows build). WIC
// decodes some files whose checksums are wrong, which libpng refuses, so
// every chunk is checked here first and both builds refuse the same files.
#include "LogoImage.h"

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>
#include <zlib.h>

#include <array>
#include <cstring>

using Microsoft::WRL::ComPtr;

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kIhdrLength = 13;

std::uint32_t bigEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 |
           bytes[3];
}

struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colourType = 0;
    // The header is sound and every chunk up to the image data is too: as
    // far as libpng reads before it reports the image's size.
    bool read = false;
};

// The combinations of colour type and bit depth that PNG defines, and the
// only compression, filter and interlace methods there are.
bool isSoundHeader(const std::uint8_t* fields) {
    const std::uint8_t depth = fields[8];
    bool depthFits = false;
    switch (fields[9]) {
    case 0: depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16; break;
    case 3: depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8; break;
    case 2:
    case 4:
    case 6: depthFits = depth == 8 || depth == 16; break;
    default: break;
    }
    return depthFits && fields[10] == 0 && fields[11] == 0 && fields[12] <= 1;
}

// Walks the chunks up to IEND: each must lie inside the data and carry its
// checksum, and the first must be a sound IHDR, which fills `header`.
bool checkChunks(const std::uint8_t* data, std::size_t length, PngHeader& header) {
    if (length < kSignature.size() || std::memcmp(data, kSignature.data(), kSignature.size()) != 0) {
        return false;
    }
    bool first = true;
    for (std::size_t offset = kSignature.size();;) {
        if (length - offset < 8) return false;
        const std::uint32_t dataLength = bigEndian32(data + offset);
        const std::uint8_t* type = data + offset + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 && header.width != 0) header.read = true;
        if (length - offset < 12 || dataLength > length - offset - 12) return false;
        const uLong crc = crc32(crc32(0, nullptr, 0), type, 4 + dataLength);
        if (crc != bigEndian32(type + 4 + dataLength)) return false;
        const bool isHeader = std::memcmp(type, "IHDR", 4) == 0;
        if (first != isHeader) return false;
        if (isHeader) {
            if (dataLength != kIhdrLength || !isSoundHeader(type + 4)) return false;
            header = {bigEndian32(type + 4), bigEndian32(type + 8), type[12], type[13], false};
        }
        if (std::memcmp(type, "IEND", 4) == 0) return true;
        first = false;
        offset += 12 + std::size_t{dataLength};
    }
}

// COM for this thread for as long as the decode lasts.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    // Already initialised in another mode is as good: COM is there.
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

// Samples of the frame in `format`, `stride` bytes a row.
bool copySamples(IWICBitmapSource* source, UINT stride, UINT height, std::vector<std::uint8_t>& samples) {
    samples.resize(std::size_t{stride} * height);
    return SUCCEEDED(source->CopyPixels(nullptr, stride, static_cast<UINT>(samples.size()), samples.data()));
}

// 16-bit frames are read as decoded, each sample keeping its high byte as
// the Linux build does (a conversion to 8 bits would round). WIC keeps
// 16-bit samples little-endian. Returns the channels of a pixel (grey, RGB,
// RGBA), or 0 for a format not expected of a 16-bit PNG.
UINT copySixteenBit(IWICBitmapFrameDecode* frame, const PngHeader& header, std::vector<std::uint8_t>& pixels) {
    WICPixelFormatGUID format;
    if (FAILED(frame->GetPixelFormat(&format))) return 0;
    UINT channels = 0;
    if (format == GUID_WICPixelFormat16bppGray) channels = 1;
    if (format == GUID_WICPixelFormat48bppRGB) channels = 3;
    if (format == GUID_WICPixelFormat64bppRGBA) channels = 4;
    std::vector<std::uint8_t> samples;
    if (channels == 0 || !copySamples(frame, header.width * channels * 2, header.height, samples)) return 0;
    const std::size_t count = std::size_t{header.width} * header.height;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* sample = &samples[i * channels * 2];
        std::uint8_t* pixel = &pixels[i * LogoImage::kBytesPerPixel];
        for (UINT c = 0; c < 3; ++c) pixel[c] = sample[(channels == 1 ? 0 : c) * 2 + 1];
        pixel[3] = channels == 4 ? sample[7] : 0xFF;
    }
    return channels;
}

// The frame as 8-bit RGBA pixels.
bool copyRgba(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, const PngHeader& header,
              std::vector<std::uint8_t>& pixels) {
    pixels.resize(std::size_t{header.width} * header.height * LogoImage::kBytesPerPixel);
    if (header.bitDepth == 16) {
        if (copySixteenBit(frame, header, pixels) == 0) return false;
    } else {
        ComPtr<IWICFormatConverter> converter;
        if (FAILED(factory->CreateFormatConverter(&converter)) ||
            FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppRGBA, WICBitmapDitherTypeNone, nullptr,
                                         0.0, WICBitmapPaletteTypeCustom)) ||
            !copySamples(converter.Get(), header.width * 4, header.height, pixels)) {
            return false;
        }
    }
    // Grey and RGB images have no alpha: a transparent colour is not drawn as one.
    const bool hasAlpha = header.colourType == 3 || header.colourType == 4 || header.colourType == 6;
    if (!hasAlpha) {
        for (std::size_t i = 3; i < pixels.size(); i += LogoImage::kBytesPerPixel) pixels[i] = 0xFF;
    }
    return true;
}

}  // namespace

bool LogoImage::decodeRows(const std::uint8_t* data, std::size_t length) {
    PngHeader header;
    const bool chunksSound = checkChunks(data, length, header);
    if (!header.read || header.width == 0 || header.height == 0 || header.width > kMaxSide ||
        header.height > kMaxSide) {
        return false;
    }
    width_ = header.width;
    height_ = header.height;
    if (!chunksSound || length > UINT32_MAX) return false;

    ComScope com;
    if (!com.usable()) return false;
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory)))) {
        return false;
    }
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(length)))) {
        return false;
    }
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, &decoder)) ||
        FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand))) {
        return false;
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT frameWidth = 0;
    UINT frameHeight = 0;
    if (FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&frameWidth, &frameHeight)) ||
        frameWidth != width_ || frameHeight != height_) {
        return false;
    }
    std::vector<std::uint8_t> pixels;
    if (!copyRgba(factory.Get(), frame.Get(), header, pixels)) return false;
    pixels_ = std::move(pixels);
    return true;
}
