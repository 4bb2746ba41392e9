// phonebook.txt and credentials.txt as any bytes, and the same bytes as a
// journal beside either. What the stand-in accepts it must write back so
// that it reads the same again; a journal's records must frame again to the
// very bytes they were read from.
#include "Credentials.h"
#include "FuzzSupport.h"
#include "Journal.h"
#include "Phonebook.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

template <typename Records>
void checkRoundTrip(std::string_view content, bool (*parse)(std::string_view, Records&, std::string&),
                    std::string (*serialize)(const Records&)) {
    Records records;
    std::string reason;
    if (!parse(content, records, reason)) return;
    const std::string written = serialize(records);
    Records again;
    fuzzing::require(parse(written, again, reason), "what the store writes it reads back");
    fuzzing::require(serialize(again) == written, "what the store reads back it writes unchanged");
}

// A put's record, once read, formats to text that reads back the same.
template <typename Record>
void checkRecord(std::string_view text, std::size_t line, bool (*parse)(const standin::ras::Section&, Record&, std::string&),
                 std::string (*format)(std::string_view, const Record&)) {
    std::vector<standin::ras::Section> sections;
    std::string reason;
    if (!standin::ras::parseSections(text, sections, reason, line) || sections.size() != 1) return;
    Record record;
    if (!parse(sections.front(), record, reason)) return;
    const std::string written = format(sections.front().name, record);
    std::vector<standin::ras::Section> again;
    Record reread;
    fuzzing::require(standin::ras::parseSections(written, again, reason) && again.size() == 1 &&
                         parse(again.front(), reread, reason),
                     "a record the journal accepts formats to one it reads back");
    fuzzing::require(format(again.front().name, reread) == written, "a record reads back unchanged");
}

void checkJournal(std::string_view journal) {
    std::uint64_t baseSize = 0;
    std::uint64_t baseChecksum = 0;
    std::size_t start = 0;
    std::size_t line = 0;
    std::string reason;
    if (!standin::ras::readJournalHeader(journal, baseSize, baseChecksum, start, line, reason)) return;
    std::vector<standin::ras::JournalRecord> records;
    std::size_t end = 0;
    std::size_t endLine = 0;
    standin::ras::readJournalRecords(journal, start, line, records, end, endLine, reason);
    fuzzing::require(start <= end && end <= journal.size(), "whole records lie within the journal");
    std::string framed;
    for (const standin::ras::JournalRecord& record : records) {
        using Kind = standin::ras::JournalRecord::Kind;
        if (record.kind == Kind::Whole) {
            framed += standin::ras::journalWhole(record.wholeSize, record.wholeChecksum);
            continue;
        }
        framed += record.kind == Kind::Remove ? standin::ras::journalRemove(record.text)
                                              : standin::ras::journalPut(record.text);
        checkRecord<standin::ras::StoredEntry>(record.text, record.textLine, standin::ras::parseEntry,
                                               standin::ras::formatEntry);
        checkRecord<standin::ras::StoredDialParams>(record.text, record.textLine,
                                                    standin::ras::parseStoredDialParams,
                                                    standin::ras::formatStoredDialParams);
    }
    fuzzing::require(framed == journal.substr(start, end - start), "records frame again to the bytes read");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    checkRoundTrip<standin::ras::Phonebook>(content, standin::ras::parsePhonebook,
                                            standin::ras::serializePhonebook);
    checkRoundTrip<standin::ras::Credentials>(content, standin::ras::parseCredentials,
                                              standin::ras::serializeCredentials);
    checkJournal(content);
    return 0;
}
