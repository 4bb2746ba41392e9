// The remote-access records as the program handles them: buffers of the
// size the service reports, and their fixed text fields. Nothing is read
// past a field, and nothing is cut to fit one: a cut number, name or
// password would silently be another one.
#pragma once

#include "ras.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Zeroed records covering a byte size the service reported, rounded up to
// whole records and at least one; the first record's dwSize is set.
template <typename Record>
std::vector<Record> recordsFor(DWORD bytes) {
    std::size_t count = (static_cast<std::size_t>(bytes) + sizeof(Record) - 1) / sizeof(Record);
    std::vector<Record> records(count == 0 ? 1 : count);
    std::memset(records.data(), 0, records.size() * sizeof(Record));
    records[0].dwSize = sizeof(Record);
    return records;
}

// A field's text up to its terminator, or the whole field if it has none.
template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// Stores `text` and zeroes the rest of the field, as the service keeps a
// field, so that a record reads back byte for byte as it was written; false,
// with the field unchanged, when it does not fit.
template <std::size_t N>
bool copyToField(char (&field)[N], std::string_view text) {
    if (text.size() >= N) return false;
    std::memcpy(field, text.data(), text.size());
    std::memset(field + text.size(), 0, N - text.size());
    return true;
}

// An entry's properties in a buffer of the size the service reported for it:
// the record and, after it, the entry's alternate numbers, which go back
// with it unchanged. Never smaller than a whole record, so every field can
// be read whatever size was reported. dwSize is the record's own, which
// names its version (the service refuses any other); the size reported is
// passed with the buffer.
class EntryBuffer {
public:
    explicit EntryBuffer(DWORD reportedSize) : records_(recordsFor<RASENTRYA>(reportedSize)), size_(reportedSize) {}
    RASENTRYA& entry() { return records_.front(); }
    const RASENTRYA& entry() const { return records_.front(); }
    DWORD size() const { return size_; }

private:
    std::vector<RASENTRYA> records_;
    DWORD size_;
};
