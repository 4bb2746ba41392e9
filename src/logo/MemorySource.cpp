#include "MemorySource.h"

#include <cstring>

MemorySource::MemorySource(const std::uint8_t* data, std::size_t length)
    : data_(data), length_(data != nullptr ? length : 0) {}

bool MemorySource::read(std::uint8_t* out, std::size_t count) {
    // Compared as "what is left" so that no sum can wrap around.
    if (count > length_ - offset_) return false;
    if (count > 0) std::memcpy(out, data_ + offset_, count);
    offset_ += count;
    return true;
}
