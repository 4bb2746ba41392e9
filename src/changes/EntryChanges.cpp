#include "EntryChanges.h"

ChangeResult changeEntry(const RasFunctionTable& ras, ChangeJournal& journal, const PlannedChange& change) {
    ChangeResult result;
    EntryState former;
    if ((result.error = readEntryState(ras, change.entryName, former)) != 0) return result;
    const unsigned long sequence =
        journal.begin(change.kind, change.entryName, former, change.aim(former), change.removesFirst);
    if (sequence == 0) {
        result.error = kErrorJournalUnwritable;
        return result;
    }
    result.error = change.write();
    EntryState after;
    if (result.error == 0 && readEntryState(ras, change.entryName, after) == 0 && journal.finish(sequence, after)) {
        return result;
    }
    // Written but not recorded as whole, the change could not be undone, and
    // a crash now would put it back anyway: it is put back at once.
    if (result.error == 0) result.error = kErrorJournalUnwritable;
    result.restoreError = restoreEntryState(ras, change.entryName, former);
    if (result.restoreError == 0) journal.markRestored(sequence);
    return result;
}

RecoveryReport recoverUnfinishedChanges(const RasFunctionTable& ras) {
    RecoveryReport report;
    for (const char* name : {kMigrationJournal, kConnectionJournal}) {
        ChangeJournal journal(name);
        std::vector<RecordedChange> changes;
        if (JournalTrouble trouble = journal.read(changes); trouble != JournalTrouble::None) {
            report.refusedJournals.push_back({name, journal.path(), trouble});
            journal.setAside();
            continue;
        }
        bool opened = false;
        for (const RecordedChange& change : changes) {
            if (!change.unfinished()) continue;
            EntryState current;
            if ((!opened && !(opened = journal.open(false))) || readEntryState(ras, change.entryName, current) != 0) {
                report.notRestored.push_back(change.entryName);
                continue;
            }
            // Putting back may itself have been cut off on an earlier start.
            const bool removes = change.removesFirst || restoreBeginsByRemoving(change.former);
            if (!isOnTheWay(current, change.former, change.aim, removes)) {
                if (journal.markLeftAlone(change.sequence)) report.leftAlone.push_back(change.entryName);
                else report.notRestored.push_back(change.entryName);
                continue;
            }
            const bool putBack = current == change.former || restoreEntryState(ras, change.entryName, change.former) == 0;
            if (putBack && journal.markRestored(change.sequence)) {
                report.restored.push_back(change.entryName);
            } else {
                report.notRestored.push_back(change.entryName);
            }
        }
        // A pass that a crash ended is over too: closing the journal drops
        // the passwords of what needs no putting back.
        if (!opened && !changes.empty()) journal.open(false);
        journal.close();
    }
    return report;
}

UndoablePass undoableChanges(const ChangeJournal& journal) {
    std::vector<RecordedChange> changes;
    UndoablePass pass;
    if ((pass.trouble = journal.read(changes)) != JournalTrouble::None) return pass;
    for (const RecordedChange& change : changes) {
        if (!change.inLastPass || change.kind != ChangeKind::Change || !change.after || change.restored ||
            change.undone) {
            continue;
        }
        // A change that changed nothing leaves nothing to undo.
        if (sameState(change.former, *change.after, change.passwordsKept)) continue;
        // Undo writes only what a migration pass itself could have changed.
        if (!differsOnlyWhereMigrationWrites(change.former, *change.after)) {
            pass.trouble = JournalTrouble::Damaged;
            pass.changes.clear();
            return pass;
        }
        pass.withoutPasswords = pass.withoutPasswords || !change.passwordsKept;
        pass.changes.push_back(change);
    }
    return pass;
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
        if (!sameState(current, *change.after, change.passwordsKept)) {
            report.changedSince.push_back(change.entryName);
            continue;
        }
        EntryState target = change.former;
        if (!change.passwordsKept) target.password = current.password;
        PlannedChange undo;
        undo.kind = ChangeKind::Undo;
        undo.entryName = change.entryName;
        undo.aim = [&](const EntryState&) { return target; };
        undo.removesFirst = restoreBeginsByRemoving(target);
        undo.write = [&] { return restoreEntryState(ras, change.entryName, target); };
        ChangeResult undone = changeEntry(ras, journal, undo);
        if (undone.error == 0 && journal.markUndone(change.sequence)) {
            ++report.undone;
        } else {
            report.failed.emplace_back(change.entryName, undone.error);
        }
    }
    return report;
}
