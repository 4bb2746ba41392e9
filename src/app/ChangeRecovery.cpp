#include "ChangeRecovery.h"

#include "ChangeMessages.h"
#include "EntryChanges.h"
#include "MessageBox.h"
#include "ProgressWindow.h"
#include "RemoteAccess.h"
#include "SetupLock.h"
#include "Text.h"

#include <cstdio>
#include <filesystem>
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

}  // namespace

void recoverInterruptedChanges() {
    const SetupLock lock;
    if (!lock.held() || !isBound(remoteAccess())) return;
    const RecoveryReport report = recoverUnfinishedChanges(remoteAccess());
    if (!report.restored.empty()) {
        ui::messageBox(listing(text("前回、設定の変更中にKivoraが終了したため、次の設定を変更前に戻しました"),
                               report.restored)
                           .c_str(),
                       MB_ICONINFORMATION | MB_OK);
    }
    if (!report.notRestored.empty()) {
        ui::messageBox(listing(text("前回、設定の変更中にKivoraが終了しました。次の設定を変更前に戻せませんでした"
                                    "（次に起動したときにもう一度試します）"),
                               report.notRestored)
                           .c_str(),
                       MB_ICONWARNING | MB_OK);
    }
    // A journal that cannot be read is set aside, so that it is told once
    // and the next change starts a sound one.
    for (const std::string& path : report.unreadableJournals) {
        std::error_code error;
        std::filesystem::rename(path, path + ".damaged", error);
        ui::messageBox(text("変更の記録が壊れていたため、前回の変更を確かめられませんでした"), MB_ICONWARNING | MB_OK);
    }
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
    const std::vector<RecordedChange> changes = undoableChanges(journal);
    if (changes.empty()) {
        ui::messageBox(text("元に戻せる移行はありません"), MB_ICONINFORMATION | MB_OK);
        return;
    }
    const std::string question =
        counted(text("前回の移行で変更した%d個の設定を、移行前に戻します\n\nよろしいですか？"),
                static_cast<int>(changes.size()));
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
        report = undoChanges(remoteAccess(), journal, changes);
    }
    // The pass is over once undone: a fresh journal offers nothing more.
    journal.open(true);
    if (!report.changedSince.empty()) {
        ui::messageBox(listing(text("次の設定は移行の後に変更されているため、元に戻しませんでした"), report.changedSince)
                           .c_str(),
                       MB_ICONWARNING | MB_OK);
    }
    for (const auto& [name, code] : report.failed) tellNotRestored(name, code);
    ui::messageBox(counted(text("%d個の設定を元に戻しました"), report.undone).c_str(), MB_ICONINFORMATION | MB_OK);
}
