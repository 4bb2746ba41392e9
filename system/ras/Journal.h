// The journal beside the phonebook and beside the credentials: the changes
// made since the file was last written whole, so that a change costs one
// appended record rather than a new copy of the file.
//
//   # comment lines
//   base SIZE CHECKSUM            the file the journal applies to
//   put LENGTH CHECKSUM           then LENGTH bytes: the record's whole text
//   remove LENGTH CHECKSUM        then LENGTH bytes: "[name]\n"
//   whole SIZE CHECKSUM           the file is about to be written whole
//
// SIZE and LENGTH are decimal byte counts, CHECKSUM 16 hex digits of
// journalChecksum. A journal whose base line does not name the file beside
// it (its size and checksum) but whose last record is a whole line naming
// that file was left by a writer killed after it wrote the file whole, and
// is ignored. A last record cut short (no line break after
// its first line, or fewer bytes than LENGTH) is an append a killed writer
// did not finish, and is ignored; any other fault damages the journal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace standin::ras {

// FNV-1a, 64 bits.
std::uint64_t journalChecksum(std::string_view bytes);

// The first lines of a journal for the file `fileName` whose content has
// `baseSize` bytes and the checksum `baseChecksum`.
std::string journalHeader(std::string_view fileName, std::uint64_t baseSize, std::uint64_t baseChecksum);

// Framed records, ready to append. `text` is a record as its file holds it;
// `headerLine` is its "[name]\n".
std::string journalPut(std::string_view text);
std::string journalRemove(std::string_view headerLine);
// Appended before the file is written whole with `size` bytes of checksum
// `checksum`, so that the journal left beside it by a writer killed before
// it removed the journal names the new file.
std::string journalWhole(std::uint64_t size, std::uint64_t checksum);

struct JournalRecord {
    enum class Kind { Put, Remove, Whole };
    Kind kind;
    std::string_view text;  // what a put or a remove frames
    std::size_t textLine;   // the journal's line where `text` starts
    std::uint64_t wholeSize = 0;      // a whole line's file
    std::uint64_t wholeChecksum = 0;
};

// Reads the comment lines and the base line; `end` is where the records
// start, `line` their first line. False, with the line and what is wrong in
// `reason`, when the journal does not start that way.
bool readJournalHeader(std::string_view journal, std::uint64_t& baseSize, std::uint64_t& baseChecksum,
                       std::size_t& end, std::size_t& line, std::string& reason);

// Reads the whole records from `offset` (the start of a record, on line
// `line`) on. `end` and `line` move past the last whole record; a record cut
// short after it stays unread. False, with the line and what is wrong in
// `reason`, for a record that is neither.
bool readJournalRecords(std::string_view journal, std::size_t offset, std::size_t line,
                        std::vector<JournalRecord>& records, std::size_t& end, std::size_t& endLine,
                        std::string& reason);

}  // namespace standin::ras
