// A read cursor over PNG bytes already in memory.
#pragma once

#include <cstddef>
#include <cstdint>

class MemorySource {
public:
    // The bytes stay the caller's and must outlive the reading.
    MemorySource(const std::uint8_t* data, std::size_t length);

    // Copies the next `count` bytes to `out` and moves past them. Returns
    // false, copying nothing, when fewer than `count` bytes are left.
    bool read(std::uint8_t* out, std::size_t count);

private:
    const std::uint8_t* data_;
    std::size_t length_;
    std::size_t offset_ = 0;
};
