// Every change the program makes to a phonebook entry, whole or not at all:
// the entry's former state and the state the writes mean to leave are
// recorded in a journal before the first write, the writes run, and if any
// of them fails, everything already written is put back. What a crash cuts
// off midway, the next start puts back from the journal, unless the entry
// was changed since by someone else; the last migration pass can be undone
// from it.
#pragma once

#include "ChangeJournal.h"
#include "EntryState.h"
#include "RemoteAccess.h"
#include "WriteFailure.h"

#include <functional>
#include <string>
#include <vector>

// One change to one entry.
struct PlannedChange {
    ChangeKind kind = ChangeKind::Change;
    // As the phonebook spells it (or as it will be written, for an entry
    // that does not exist yet).
    std::string entryName;
    // The state the writes leave, given the state before them.
    std::function<EntryState(const EntryState& former)> aim;
    // The writes begin by removing the entry, its account with it.
    bool removesFirst = false;
    // The writes: 0, or the failing call's code.
    std::function<DWORD()> write;
};

struct ChangeResult {
    // 0 when the change landed whole; else the failing step's code (the
    // journal's, the reading's or a write's).
    DWORD error = 0;
    // After a failed write: 0 when the entry was put back as it was.
    DWORD restoreError = 0;
};

// Reads the entry's state, records it and the aim in `journal` (opened),
// runs the writes and records the state they left; when they fail the
// entry is put back.
ChangeResult changeEntry(const RasFunctionTable& ras, ChangeJournal& journal, const PlannedChange& change);

// A journal that could not be used, named for the user.
struct RefusedJournal {
    // kMigrationJournal or kConnectionJournal.
    std::string name;
    std::string path;
    JournalTrouble trouble = JournalTrouble::None;
};

// What a start found cut off in the journals and put back.
struct RecoveryReport {
    std::vector<std::string> restored;
    // Changed by someone else since the change was cut off: left as they are.
    std::vector<std::string> leftAlone;
    // Entries that could not be put back; they are tried again next start.
    std::vector<std::string> notRestored;
    // Journals that cannot be read or trusted: nothing in them was applied.
    std::vector<RefusedJournal> refusedJournals;
};

// Puts back every entry whose change a crash cut off, in both journals,
// where the entry is still as the change left it.
RecoveryReport recoverUnfinishedChanges(const RasFunctionTable& ras);

// The changes of the last migration pass that can still be undone.
struct UndoablePass {
    // Why nothing may be undone from the journal: damaged, or not Kivora's
    // own. A record that no migration could have made is damage too.
    JournalTrouble trouble = JournalTrouble::None;
    std::vector<RecordedChange> changes;
    // Some of them no longer hold their passwords: those stay as they are.
    bool withoutPasswords = false;
};
UndoablePass undoableChanges(const ChangeJournal& journal);

struct UndoReport {
    int undone = 0;
    // Changed since the pass by someone else, and left as they are.
    std::vector<std::string> changedSince;
    // Could not be put back; each failure's entry is named with its code.
    std::vector<std::pair<std::string, DWORD>> failed;
};

// Puts each entry of `changes` back as it was before the pass, unless it
// has been changed since; each is itself a change in the journal (opened).
// A password the journal no longer holds stays as it is now.
UndoReport undoChanges(const RasFunctionTable& ras, ChangeJournal& journal, const std::vector<RecordedChange>& changes);
