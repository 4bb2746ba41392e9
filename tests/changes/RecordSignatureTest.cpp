// The journal's record signature is SipHash-2-4: its published test vectors
// (key 00 01 .. 0f, messages 00 01 .. of each length) hold, so a record is
// signed alike by every build, 32-bit and 64-bit.
#include "RecordSignature.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string countingBytes(std::size_t length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>(i);
    return bytes;
}

TEST(RecordSignature, IsSipHash24) {
    const struct {
        std::size_t length;
        std::uint64_t expected;
    } vectors[] = {
        {0, 0x726fdb47dd0e0e31ULL},  {1, 0x74f839c593dc67fdULL},  {7, 0xab0200f58b01d137ULL},
        {8, 0x93f5f5799a932462ULL},  {15, 0xa129ca6149be45e5ULL}, {16, 0x3f2acc7f57c29bdbULL},
        {63, 0x958a324ceb064572ULL},
    };
    const std::string key = countingBytes(kRecordKeySize);
    for (const auto& vector : vectors) {
        EXPECT_EQ(recordSignature(key, countingBytes(vector.length)), vector.expected) << vector.length << " bytes";
    }
}

}  // namespace
