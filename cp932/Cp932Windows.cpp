// The border conversions on Windows, through the system's code page 932, by
// way of UTF-16.
#include "Cp932.h"

#include <windows.h>

#include <climits>

namespace cp932 {

namespace {

constexpr UINT kCp932 = 932;

// Invalid input fails the call instead of becoming U+FFFD.
bool toWide(UINT codePage, std::string_view in, std::wstring& wide) {
    if (in.size() > INT_MAX) return false;
    const int inLength = static_cast<int>(in.size());
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), inLength, nullptr, 0);
    if (length <= 0) return false;
    wide.resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), inLength, wide.data(), length) ==
           length;
}

// A character the code page cannot hold fails the call instead of becoming
// '?' or a look-alike. UTF-8 holds every character, and Windows XP takes no
// flags for it (its text here comes from code page 932, which has no lone
// surrogates to refuse).
bool fromWide(UINT codePage, const std::wstring& wide, std::string& out) {
    if (wide.size() > INT_MAX) return false;
    const int wideLength = static_cast<int>(wide.size());
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = codePage == CP_UTF8 ? nullptr : &usedDefault;
    int length = WideCharToMultiByte(codePage, flags, wide.data(), wideLength, nullptr, 0, nullptr,
                                     usedDefaultOut);
    if (length <= 0 || usedDefault) return false;
    std::string result(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), wideLength, result.data(), length, nullptr,
                            usedDefaultOut) != length ||
        usedDefault) {
        return false;
    }
    out = std::move(result);
    return true;
}

// Code page 932 carries the bytes 0x80, 0xA0 and 0xFD-0xFF through as U+0080
// and private-use characters. They are no characters of CP932, and the
// Linux build refuses them, so this one does too.
bool holdsOnlyCp932Characters(const std::wstring& wide) {
    for (wchar_t c : wide) {
        if (c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3)) return false;
    }
    return true;
}

bool convert(UINT from, UINT to, std::string_view in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    std::wstring wide;
    return toWide(from, in, wide) && holdsOnlyCp932Characters(wide) && fromWide(to, wide, out);
}

}  // namespace

bool toUtf8(std::string_view cp932Text, std::string& utf8) {
    return convert(kCp932, CP_UTF8, cp932Text, utf8);
}

bool fromUtf8(std::string_view utf8Text, std::string& cp932) {
    return convert(CP_UTF8, kCp932, utf8Text, cp932);
}

}  // namespace cp932
