#include "ProviderCsvFile.h"

#include "windows.h"

#include <climits>

bool ProviderCsvFile::open(const char* path) {
    if (path == nullptr || *path == '\0') return false;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    file_.reset();
    // Linux would open a directory and fail only at the first read; Windows
    // refuses it here, and so do we.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    // Binary: carriage returns reach readLine untranslated and 0x1A is data.
    file_.reset(std::fopen(path, "rb"));
    return file_ != nullptr;
}

bool ProviderCsvFile::readLine(char* buffer, std::size_t capacity) {
    if (buffer == nullptr || file_ == nullptr || capacity < 2) return false;
    buffer[0] = '\0';
    std::size_t count = 0;
    for (;;) {
        int byte = std::fgetc(file_.get());
        if (byte == EOF) {
            // Bytes gathered since the last line end are dropped: an
            // unterminated last line is not a line.
            if (observer_ != nullptr && count > 0) observer_->tailDropped(lineEnds_ + 1, {buffer, count});
            file_.reset();
            return false;
        }
        const bool secondOfCrLf = byte == '\n' && lastByteWasCr_;
        lastByteWasCr_ = byte == '\r';
        if (byte == '\r' || byte == '\n') {
            if (secondOfCrLf) continue;
            ++lineEnds_;
            if (count > 0) {
                if (observer_ != nullptr) observer_->lineRead(lineEnds_, {buffer, count}, false);
                return true;
            }
            continue;
        }
        buffer[count++] = static_cast<char>(byte);
        buffer[count] = '\0';
        if (count == capacity - 1) {
            if (observer_ != nullptr) observer_->lineRead(lineEnds_ + 1, {buffer, count}, true);
            return true;
        }
    }
}

bool providerFileExists(const char* path) {
    return path != nullptr && *path != '\0' && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool splitAtFirstComma(std::string_view line, FirstCommaRow& row) {
    std::size_t comma = line.find(',');
    if (comma == std::string_view::npos || comma + 1 == line.size()) return false;
    row.firstField = line.substr(0, comma);
    row.value = line.substr(comma + 1);
    return true;
}

int leadingDecimalValue(std::string_view text) {
    std::size_t i = 0;
    auto isBlank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long magnitude = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) {
            magnitude = limit;
            break;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}
