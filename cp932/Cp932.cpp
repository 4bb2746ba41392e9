#include "Cp932.h"

#include <stdexcept>

namespace cp932 {

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

namespace {

unsigned char foldAscii(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

int compareFolded(std::string_view a, std::string_view b, bool multiByteAware) {
    size_t i = 0;
    bool inTrail = false;
    while (i < a.size() && i < b.size()) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        bool fold = !(multiByteAware && inTrail);
        unsigned char fa = fold ? foldAscii(ca) : ca;
        unsigned char fb = fold ? foldAscii(cb) : cb;
        if (fa != fb) return fa < fb ? -1 : 1;
        // Both strings agree up to here, so they agree on the character boundaries too.
        inTrail = !inTrail && isLeadByte(ca);
        ++i;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int compareAsciiNoCase(std::string_view a, std::string_view b) {
    return compareFolded(a, b, false);
}

int compareNoCaseMultiByte(std::string_view a, std::string_view b) {
    return compareFolded(a, b, true);
}

std::string foldNoCaseMultiByte(std::string_view text) {
    std::string key(text);
    bool inTrail = false;
    for (char& c : key) {
        auto byte = static_cast<unsigned char>(c);
        if (!inTrail) c = static_cast<char>(foldAscii(byte));
        inTrail = !inTrail && isLeadByte(byte);
    }
    return key;
}

std::string toUtf8(std::string_view cp932Text) {
    std::string out;
    if (!toUtf8(cp932Text, out)) throw std::invalid_argument("text is not valid CP932");
    return out;
}

std::string fromUtf8(std::string_view utf8Text) {
    std::string out;
    if (!fromUtf8(utf8Text, out)) throw std::invalid_argument("text has no CP932 form");
    return out;
}

}  // namespace cp932
