// The border conversions on Linux, through glibc's iconv.
#include "Cp932.h"

#include <iconv.h>

namespace cp932 {

namespace {

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

bool toUtf8(std::string_view cp932Text, std::string& utf8) {
    thread_local Conversion conversion("UTF-8", "CP932");
    return conversion.run(cp932Text, utf8);
}

bool fromUtf8(std::string_view utf8Text, std::string& cp932) {
    thread_local Conversion conversion("CP932", "UTF-8");
    return conversion.run(utf8Text, cp932);
}

}  // namespace cp932
