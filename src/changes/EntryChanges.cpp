#include "EntryChanges.h"

ChangeResult changeEntry(const RasFunctionTable& ras, ChangeJournal& journal, ChangeKind kind,
                         const std::string& entryName, const std::function<DWORD()>& write) {
    ChangeResult result;
    EntryState former;
    if ((result.error = readEntryState(ras, entryName, former)) != 0) return result;
    const unsigned long sequence = journal.begin(kind, entryName, former);
    if (sequence == 0) {
        result.error = kErrorJournalUnwritable;
        return result;
    }
    result.error = write();
    EntryState after;
    if (result.error == 0 && readEntryState(ras, entryName, after) == 0 && journal.finish(sequence, after)) {
        return result;
    }
    // Written but not recorded as whole, the change could not be undone, and
    // a crash now would put it back anyway: it is put back at once.
    if (result.error == 0) result.error = kErrorJournalUnwritable;
    result.restoreError = restoreEntryState(ras, entryName, former);
    if (result.restoreError == 0) journal.markRestored(sequence);
    return result;
}

RecoveryReport recoverUnfinishedChanges(const RasFunctionTable& ras) {
    RecoveryReport report;
    for (const char* name : {kMigrationJournal, kConnectionJournal}) {
        ChangeJournal journal(name);
        std::vector<RecordedChange> changes;
        if (!journal.read(changes)) {
            report.unreadableJournals.push_back(journal.path());
            continue;
        }
        bool opened = false;
        for (const RecordedChange& change : changes) {
            if (!change.unfinished()) continue;
            if (!opened && !(opened = journal.open(false))) {
                report.notRestored.push_back(change.entryName);
                continue;
            }
            if (restoreEntryState(ras, change.entryName, change.former) == 0 && journal.markRestored(change.sequence)) {
                report.restored.push_back(change.entryName);
            } else {
                report.notRestored.push_back(change.entryName);
            }
        }
    }
    return report;
}

std::vector<RecordedChange> undoableChanges(const ChangeJournal& journal) {
    std::vector<RecordedChange> changes;
    std::vector<RecordedChange> undoable;
    if (!journal.read(changes)) return undoable;
    for (const RecordedChange& change : changes) {
        if (change.inLastPass && change.kind == ChangeKind::Change && change.after && !change.restored &&
            !change.undone) {
            undoable.push_back(change);
        }
    }
    return undoable;
}

UndoReport undoChanges(const RasFunctionTable& ras, ChangeJournal& journal, const std::vector<RecordedChange>& changes) {
    UndoReport report;
    for (const RecordedChange& change : changes) {
        EntryState current;
        DWORD result = readEntryState(ras, change.entryName, current);
        if (result != 0) {
            report.failed.emplace_back(change.entryName, result);
            continue;
        }
        if (current != *change.after) {
            report.changedSince.push_back(change.entryName);
            continue;
        }
        ChangeResult undo = changeEntry(ras, journal, ChangeKind::Undo, change.entryName, [&] {
            return restoreEntryState(ras, change.entryName, change.former);
        });
        if (undo.error == 0 && journal.markUndone(change.sequence)) {
            ++report.undone;
        } else {
            report.failed.emplace_back(change.entryName, undo.error);
        }
    }
    return report;
}
