#include "Cp932.h"

#include <iconv.h>

#include <cerrno>
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

// One direction of conversion, opened once per thread and kept: opening it
// costs more than converting a name, and the stores convert every name they
// read.
class Conversion {
public:
    Conversion(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Conversion() {
        if (opened()) iconv_close(cd_);
    }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    bool run(std::string_view in, std::string& out) {
        out.clear();
        if (!opened()) return false;
        // A fresh start, whatever an earlier failed conversion left.
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string result;
        result.resize(in.size() * 4 + 16);
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char* outPtr = result.data();
        size_t outLeft = result.size();
        size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
        bool ok = rc != static_cast<size_t>(-1) && inLeft == 0;
        // iconv counts irreversible conversions in rc: those are replacements, refused here.
        ok = ok && rc == 0;
        if (ok) ok = iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
        if (!ok) return false;
        result.resize(result.size() - outLeft);
        out = std::move(result);
        return true;
    }

private:
    bool opened() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    iconv_t cd_;
};

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

bool toUtf8(std::string_view cp932Text, std::string& utf8) {
    thread_local Conversion conversion("UTF-8", "CP932");
    return conversion.run(cp932Text, utf8);
}

bool fromUtf8(std::string_view utf8Text, std::string& cp932) {
    thread_local Conversion conversion("CP932", "UTF-8");
    return conversion.run(utf8Text, cp932);
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
