// The program's own record of the changes it makes to phonebook entries, kept
// in the user's application-data folder. Before the first write to an entry
// its former state is recorded and flushed to disk; after the last write the
// state it was left in. So a change cut off by a crash is found and put back
// on the next start, and the last migration pass can be undone.
#pragma once

#include "EntryState.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

enum class ChangeKind { Change, Undo };

// One change as the journal tells it.
struct RecordedChange {
    unsigned long sequence = 0;
    ChangeKind kind = ChangeKind::Change;
    std::string entryName;
    EntryState former;
    // The state the change left, once it was made whole.
    std::optional<EntryState> after;
    // Put back to `former`, at once or on a later start.
    bool restored = false;
    // Undone later by an undo of its pass.
    bool undone = false;
    // Made by the last pass the journal holds.
    bool inLastPass = false;

    // Begun, but neither finished nor put back: cut off midway.
    bool unfinished() const { return !after && !restored; }
};

class ChangeJournal {
public:
    // The journal file `fileName` in Kivora's folder of the user's
    // application data.
    explicit ChangeJournal(std::string fileName);
    ~ChangeJournal();
    ChangeJournal(const ChangeJournal&) = delete;
    ChangeJournal& operator=(const ChangeJournal&) = delete;

    // Every change recorded, in order. A missing journal (or no folder for
    // it) holds none; false when the journal cannot be read or is damaged (a torn last line, the
    // trace of a crash while it was written, is not damage and is ignored).
    bool read(std::vector<RecordedChange>& changes) const;

    // Opens the journal for appending; with `newPass`, a new pass begins,
    // and a journal with nothing unfinished in it is started afresh. False
    // when it cannot be written: then no change may begin.
    bool open(bool newPass);

    // Records that a change of `entryName` from `former` begins; returns its
    // sequence number, or 0 when it could not be recorded.
    unsigned long begin(ChangeKind kind, const std::string& entryName, const EntryState& former);
    bool finish(unsigned long sequence, const EntryState& after);
    bool markRestored(unsigned long sequence);
    bool markUndone(unsigned long sequence);

    const std::string& path() const { return path_; }

private:
    // Also says how many bytes from the start hold whole records.
    bool read(std::vector<RecordedChange>& changes, std::size_t& intactLength) const;
    // A durable record is on the disk, not only in the system's cache, when
    // this returns.
    bool append(const std::string& content, bool durable = true);

    std::string path_;
    std::FILE* file_ = nullptr;
    unsigned long lastSequence_ = 0;
};

// The journal of migration passes and their undoing, and that of the new
// connection's overwrites.
constexpr const char* kMigrationJournal = "migration.journal";
constexpr const char* kConnectionJournal = "connection.journal";
