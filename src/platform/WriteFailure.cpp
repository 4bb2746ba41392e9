#include "WriteFailure.h"

#include "Text.h"
#include "ras.h"

#include <cstdio>

using resources::text;

namespace {

const char* reason(DWORD code) {
    switch (code) {
    // Windows' phonebook and pppd's files are the administrator's to change.
    case ERROR_ACCESS_DENIED:
        return text("ダイヤルアップネットワークの設定を変更する権限がありません。管理者として実行してください。");
    case ERROR_BUFFER_INVALID: return text("アドレスまたは参照先のバッファが無効です。");
    case ERROR_CANNOT_OPEN_PHONEBOOK: return text("電話帳が壊れているか、必要なコンポーネントがありません。");
    // The service answers 14 when it finds no modem, whatever its name says.
    case ERROR_OUTOFMEMORY: return text("モデムを検出できませんでした。接続されているか確認してください。");
    case ERROR_INVALID_USER_BUFFER:
        return text("現在使用中の環境ではダイヤルアップネットワークを作成できません。\n"
                    "適切な環境にしてから再度チャレンジしてください。");
    case kErrorJournalUnwritable: return text("変更の記録を書き込めないため、変更しませんでした。");
    default: return nullptr;
    }
}

}  // namespace

std::string writeFailureMessage(const char* heading, DWORD code) {
    std::string message = std::string(heading) + "\n\n";
    if (const char* known = reason(code)) return message + known;
    char number[64];
    std::snprintf(number, sizeof number, text("エラーコード：%d"), static_cast<int>(code));
    return message + number;
}
