// The program's own record of the changes it makes to phonebook entries, kept
// in Kivora's folder of the user's local application data. Before the first
// write to an entry its former state and the state the writes mean to leave
// are recorded and flushed to disk; after the last write the state it was
// left in. So a change cut off by a crash is found and put back on the next
// start (unless someone else has changed the entry since), and the last
// migration pass can be undone. Once a change is over, closing the journal
// drops its passwords: only a change that may still have to be put back
// keeps them.
#pragma once

#include "EntryState.h"
#include "JournalStorage.h"

#include <optional>
#include <string>
#include <vector>

enum class ChangeKind { Change, Undo };

// Why a journal is not used.
enum class JournalTrouble {
    None,
    // Cut short inside, scribbled on, or records that do not fit together.
    Damaged,
    // The file is a link, another user's, or writable by others.
    NotOwn,
    // So is Kivora's folder, or the folder above it.
    FolderNotOwn,
};

// One change as the journal tells it.
struct RecordedChange {
    unsigned long sequence = 0;
    ChangeKind kind = ChangeKind::Change;
    std::string entryName;
    EntryState former;
    // What the writes meant to leave.
    EntryState aim;
    // The writes began by removing the entry, its account with it.
    bool removesFirst = false;
    // The state the change left, once it was made whole.
    std::optional<EntryState> after;
    // Put back to `former`, at once or on a later start.
    bool restored = false;
    // Undone later by an undo of its pass.
    bool undone = false;
    // Found changed by someone else after it was cut off, and left so.
    bool leftAlone = false;
    // False once the change is over and its passwords were dropped: its
    // states then say nothing of the password.
    bool passwordsKept = true;
    // The pass it was begun in, counted from the journal's start (0 for a
    // change recorded before the first pass began).
    std::size_t pass = 0;
    // Made by the last pass the journal holds.
    bool inLastPass = false;

    // Begun, but neither finished nor closed otherwise: cut off midway.
    bool unfinished() const { return !after && !restored && !leftAlone; }
};

class ChangeJournal {
public:
    // The journal file `fileName` in Kivora's folder.
    explicit ChangeJournal(std::string fileName);
    ~ChangeJournal();
    ChangeJournal(const ChangeJournal&) = delete;
    ChangeJournal& operator=(const ChangeJournal&) = delete;

    // Every change recorded, in order. A missing journal (or no folder for
    // it) holds none. A torn last line, the trace of a crash while it was
    // written, is not damage and is ignored.
    JournalTrouble read(std::vector<RecordedChange>& changes) const;

    // Opens the journal for appending; with `newPass`, a new pass begins,
    // and a journal with nothing unfinished in it is started afresh. False
    // when it cannot be written: then no change may begin.
    bool open(bool newPass);

    // Records that a change of `entryName` from `former` towards `aim`
    // begins; returns its sequence number, or 0 when it could not be
    // recorded.
    unsigned long begin(ChangeKind kind, const std::string& entryName, const EntryState& former,
                        const EntryState& aim, bool removesFirst);
    bool finish(unsigned long sequence, const EntryState& after);
    bool markRestored(unsigned long sequence);
    bool markUndone(unsigned long sequence);
    bool markLeftAlone(unsigned long sequence);

    // Ends the writing. The journal is written afresh without the passwords
    // of the changes that are over, so they are kept no longer than needed.
    void close();

    // A journal refused (damaged, or it or its folder not Kivora's own) is
    // moved aside, so that it is told once and the next change starts a
    // sound one.
    void setAside() const;

    // The file's path; empty when there is no folder for it.
    const std::string& path() const { return path_; }

private:
    // Also says how many bytes from the start hold whole records.
    JournalTrouble read(std::vector<RecordedChange>& changes, std::size_t& intactLength, std::size_t& passes) const;
    // A durable record is on the disk, not only in the system's cache, when
    // this returns.
    bool append(const std::string& content, bool durable = true);

    // The key that signs the records, read (or, with `create`, made) once.
    JournalTrouble loadKey(bool create) const;

    std::string folder_;
    std::string path_;
    std::string keyPath_;
    mutable std::string key_;
    JournalTrouble folderTrouble_ = JournalTrouble::None;
    journalstorage::AppendFile file_;
    unsigned long lastSequence_ = 0;
};

// The journal of migration passes and their undoing, and that of the new
// connection's overwrites; the key that signs the records of both.
constexpr const char* kMigrationJournal = "migration.journal";
constexpr const char* kConnectionJournal = "connection.journal";
constexpr const char* kKeyFile = "journal.key";
