// The signature each journal record carries: SipHash-2-4 of the record's
// words under a 16-byte key that Kivora keeps beside its journals. A record
// torn, scribbled on, or written by anything that does not hold the key
// does not verify, so only Kivora's own records decide what it writes.
#pragma once

#include <cstdint>
#include <string_view>

constexpr std::size_t kRecordKeySize = 16;

// `key` holds kRecordKeySize bytes.
std::uint64_t recordSignature(std::string_view key, std::string_view words);
