#include "TextEscaping.h"

#include "Cp932.h"

#include <algorithm>

namespace standin::ras {

namespace {

bool isTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Controls, lead bytes without their trail byte and the single bytes CP932
// leaves undefined: written as \xHH so that the file stays readable text.
bool needsHexEscape(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == 0x80 || byte == 0xA0 || byte >= 0xFD ||
           cp932::isLeadByte(byte);
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string escapeText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        if (cp932::isLeadByte(byte) && i + 1 < bytes.size() &&
            isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            out += bytes[i];
            out += bytes[++i];
        } else if (byte == '\\') {
            out += "\\\\";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (needsHexEscape(byte)) {
            out += "\\x";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0xF];
        } else {
            out += bytes[i];
        }
    }
    return out;
}

bool unescapeText(std::string_view text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (cp932::isLeadByte(byte) && i + 1 < text.size()) {
            bytes += text[i];
            bytes += text[++i];
            continue;
        }
        if (byte < 0x20 || byte == 0x7F) return false;
        if (byte != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case '\\':
                bytes += '\\';
                break;
            case 'n':
                bytes += '\n';
                break;
            case 'r':
                bytes += '\r';
                break;
            case 't':
                bytes += '\t';
                break;
            case 'x': {
                if (i + 2 >= text.size()) return false;
                int high = hexDigit(text[i + 1]);
                int low = hexDigit(text[i + 2]);
                if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return false;
        }
    }
    return true;
}

std::string forDisplay(std::string_view cp932Text) {
    std::string out;
    std::string converted;
    for (size_t i = 0; i < cp932Text.size();) {
        auto first = static_cast<unsigned char>(cp932Text[i]);
        size_t length = cp932::isLeadByte(first) && i + 1 < cp932Text.size() ? 2 : 1;
        std::string_view character = cp932Text.substr(i, length);
        bool control = length == 1 && (first < 0x20 || first == 0x7F);
        if (!control && cp932::toUtf8(character, converted)) {
            out += converted;
        } else {
            for (char byte : character) {
                auto value = static_cast<unsigned char>(byte);
                out += "\\x";
                out += kHexDigits[value >> 4];
                out += kHexDigits[value & 0xF];
            }
        }
        i += length;
    }
    return out;
}

bool isPlainText(std::string_view bytes) {
    std::string unused;
    return std::none_of(bytes.begin(), bytes.end(),
                        [](char c) {
                            auto byte = static_cast<unsigned char>(c);
                            return byte < 0x20 || byte == 0x7F;
                        }) &&
           cp932::toUtf8(bytes, unused);
}

}  // namespace standin::ras
