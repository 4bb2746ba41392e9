#include "RecordSignature.h"

namespace {

std::uint64_t littleEndian(const unsigned char* bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

std::uint64_t rotateLeft(std::uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); }

}  // namespace

std::uint64_t recordSignature(std::string_view key, std::string_view words) {
    const auto* k = reinterpret_cast<const unsigned char*>(key.data());
    const auto* data = reinterpret_cast<const unsigned char*>(words.data());
    const std::uint64_t k0 = littleEndian(k), k1 = littleEndian(k + 8);
    std::uint64_t v0 = 0x736f6d6570736575ULL ^ k0, v1 = 0x646f72616e646f6dULL ^ k1;
    std::uint64_t v2 = 0x6c7967656e657261ULL ^ k0, v3 = 0x7465646279746573ULL ^ k1;
    auto round = [&] {
        v0 += v1, v1 = rotateLeft(v1, 13), v1 ^= v0, v0 = rotateLeft(v0, 32);
        v2 += v3, v3 = rotateLeft(v3, 16), v3 ^= v2;
        v0 += v3, v3 = rotateLeft(v3, 21), v3 ^= v0;
        v2 += v1, v1 = rotateLeft(v1, 17), v1 ^= v2, v2 = rotateLeft(v2, 32);
    };
    auto absorb = [&](std::uint64_t block) {
        v3 ^= block;
        round();
        round();
        v0 ^= block;
    };
    const std::size_t whole = words.size() - words.size() % 8;
    for (std::size_t i = 0; i < whole; i += 8) absorb(littleEndian(data + i));
    std::uint64_t last = static_cast<std::uint64_t>(words.size()) << 56;
    for (std::size_t i = whole; i < words.size(); ++i) last |= static_cast<std::uint64_t>(data[i]) << (8 * (i - whole));
    absorb(last);
    v2 ^= 0xff;
    for (int i = 0; i < 4; ++i) round();
    return v0 ^ v1 ^ v2 ^ v3;
}
