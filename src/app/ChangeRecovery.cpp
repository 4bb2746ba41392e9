#include "ChangeRecovery.h"

#include "ChangeMessages.h"
#include "EntryChanges.h"
#include "MessageBox.h"
#include "ProgressWindow.h"
#include "RemoteAccess.h"
#include "SetupLock.h"
#include "Text.h"

#include <cstdio>
#include <string>
#include <vector>

using resources::text;

namespace {

// The heading, an empty line, and one bracketed name a line.
std::string listing(const char* heading, const std::vector<std::string>& names) {
    std::string message = std::string(heading) + "\n";
    for (const std::string& name : names) message += "\n[" + name + "]";
    return message;
}

std::string counted(const char* format, int count) {
    char message[256];
    std::snprintf(message, sizeof message, format, count);
    return message;
}

// Why a journal was not used, for the user; `undoing` when the undo asked.
std::string refusal(const RefusedJournal& journal, bool undoing) {
    if (journal.trouble == JournalTrouble::Damaged) {
        return text(undoing ? "変更の記録が壊れているため、元に戻せませんでした"
                            : "変更の記録が壊れていたため、前回の変更を確かめられませんでした");
    }
    const char* what = journal.trouble == JournalTrouble::FolderNotOwn
                           ? text("変更の記録を置くフォルダーが、リンクであるか、ほかのユーザーのものか、"
                                  "ほかのユーザーも書き込めるため、Kivora自身の記録と確かめられません")
                           : text("変更の記録が、リンクであるか、ほかのユーザーのものか、"
                                  "ほかのユーザーも書き込めるため、Kivora自身の記録と確かめられません");
    return std::string(what) + "\n\n" +
           text(undoing ? "記録は使わず、何も変更しませんでした" : "記録は使わず、前回の変更を確かめませんでした") +
           "\n\n" + journal.path;
}

}  // namespace

bool recoverInterruptedChanges() {
    const SetupLock lock;
    if (!lock.held() || !isBound(remoteAccess())) return true;
    const RecoveryReport report = recoverUnfinishedChanges(remoteAccess());
    // What was put back and what was left alone, in one box.
    std::string told;
    if (!report.restored.empty()) {
        told = listing(text("前回、設定の変更中にKivoraが終了したため、次の設定を変更前に戻しました"), report.restored);
    }
    if (!report.leftAlone.empty()) {
        told += told.empty() ? std::string(text("前回、設定の変更中にKivoraが終了しました")) + "\n\n" : "\n\n";
        told += listing(text("次の設定はその後Kivora以外で変更されていたため、変更前に戻さず、そのままにしました"),
                        report.leftAlone);
    }
    if (!told.empty()) ui::messageBox(told.c_str(), MB_ICONINFORMATION | MB_OK);
    if (!report.notRestored.empty()) {
        ui::messageBox(listing(text("前回、設定の変更中にKivoraが終了しました。次の設定を変更前に戻せませんでした"
                                    "（次に起動したときにもう一度試します）"),
                               report.notRestored)
                           .c_str(),
                       MB_ICONWARNING | MB_OK);
    }
    bool migrationsTrusted = true;
    for (const RefusedJournal& journal : report.refusedJournals) {
        ui::messageBox(refusal(journal, false).c_str(), MB_ICONWARNING | MB_OK);
        migrationsTrusted = migrationsTrusted && journal.name != kMigrationJournal;
    }
    return migrationsTrusted;
}

void undoLastMigration() {
    if (!isBound(remoteAccess())) {
        ui::messageBox(text("RASAPI32.DLL エラー"), MB_ICONWARNING | MB_OK);
        return;
    }
    const SetupLock lock;
    if (!lock.held()) {
        tellAnotherSetupRuns();
        return;
    }
    ChangeJournal journal(kMigrationJournal);
    const UndoablePass pass = undoableChanges(journal);
    if (pass.trouble != JournalTrouble::None) {
        ui::messageBox(refusal({kMigrationJournal, journal.path(), pass.trouble}, true).c_str(), MB_ICONWARNING | MB_OK);
        return;
    }
    if (pass.changes.empty()) {
        ui::messageBox(text("元に戻せる移行はありません"), MB_ICONINFORMATION | MB_OK);
        return;
    }
    std::string question = counted(text("前回の移行で変更した%d個の設定を、移行前に戻します"),
                                   static_cast<int>(pass.changes.size()));
    // A finished pass keeps no passwords: what the user typed since stays.
    if (pass.withoutPasswords) {
        question += std::string("\n\n") + text("パスワードは記録していないため、元に戻さず今のままにします");
    }
    question += std::string("\n\n") + text("よろしいですか？");
    if (ui::messageBox(question.c_str(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    if (!journal.open(false)) {
        ui::messageBox(text("変更の記録を書き込めないため、元に戻せませんでした"), MB_ICONWARNING | MB_OK);
        return;
    }

    UndoReport report;
    {
        ProgressWindow progress;
        if (progress.create()) {
            progress.showText(text("設定を元に戻しています"));
            progress.show(false);
        }
        report = undoChanges(remoteAccess(), journal, pass.changes);
    }
    // The pass is over once undone: a fresh journal offers nothing more.
    journal.open(true);
    journal.close();
    if (!report.changedSince.empty()) {
        ui::messageBox(listing(text("次の設定は移行の後に変更されているため、元に戻しませんでした"), report.changedSince)
                           .c_str(),
                       MB_ICONWARNING | MB_OK);
    }
    for (const auto& [name, code] : report.failed) tellNotRestored(name, code);
    ui::messageBox(counted(text("%d個の設定を元に戻しました"), report.undone).c_str(), MB_ICONINFORMATION | MB_OK);
}
