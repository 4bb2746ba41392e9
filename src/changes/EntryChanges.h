// Every change the program makes to a phonebook entry, whole or not at all:
// the entry's former state is read and recorded in a journal before the
// first write, the writes run, and if any of them fails, everything already
// written is put back. What a crash cuts off midway, the next start puts
// back from the journal; the last migration pass can be undone from it.
#pragma once

#include "ChangeJournal.h"
#include "EntryState.h"
#include "RemoteAccess.h"
#include "WriteFailure.h"

#include <functional>
#include <string>
#include <vector>


struct ChangeResult {
    // 0 when the change landed whole; else the failing step's code (the
    // journal's, the reading's or a write's).
    DWORD error = 0;
    // After a failed write: 0 when the entry was put back as it was.
    DWORD restoreError = 0;
};

// Reads `entryName`'s state, records it in `journal` (opened), runs `write`
// and records the state it left; when `write` answers non-zero the entry is
// put back. `entryName` is the name as the phonebook spells it (or as it
// will be written, for an entry that does not exist yet).
ChangeResult changeEntry(const RasFunctionTable& ras, ChangeJournal& journal, ChangeKind kind,
                         const std::string& entryName, const std::function<DWORD()>& write);

// What a start found cut off in the journals and put back.
struct RecoveryReport {
    std::vector<std::string> restored;
    // Entries that could not be put back; they are tried again next start.
    std::vector<std::string> notRestored;
    // Journals that cannot be read: nothing in them was touched.
    std::vector<std::string> unreadableJournals;
};

// Puts back every entry whose change a crash cut off, in both journals.
RecoveryReport recoverUnfinishedChanges(const RasFunctionTable& ras);

// The changes of the last migration pass that can still be undone.
std::vector<RecordedChange> undoableChanges(const ChangeJournal& journal);

struct UndoReport {
    int undone = 0;
    // Changed since the pass by someone else, and left as they are.
    std::vector<std::string> changedSince;
    // Could not be put back; each failure's entry is named with its code.
    std::vector<std::pair<std::string, DWORD>> failed;
};

// Puts each entry of `changes` back as it was before the pass, unless it
// has been changed since; each is itself a change in the journal (opened).
UndoReport undoChanges(const RasFunctionTable& ras, ChangeJournal& journal, const std::vector<RecordedChange>& changes);
