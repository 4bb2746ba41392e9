#include "ChangeMessages.h"

#include "MessageBox.h"
#include "Text.h"

#include <cstdio>

using resources::text;

void tellAnotherSetupRuns() {
    ui::messageBox(text("別のKivoraが設定を変更しています\n\nそちらが終わってから、もう一度お試しください"),
                   MB_ICONWARNING | MB_OK);
}

void tellNotRestored(const std::string& entryName, DWORD code) {
    char message[512];
    std::snprintf(message, sizeof message, text("[%s]を元の設定に戻せませんでした\n\nエラーコード：%d"),
                  entryName.c_str(), static_cast<int>(code));
    ui::messageBox(message, MB_ICONWARNING | MB_OK);
}
