#include "TextLimits.h"

#include "MessageBox.h"
#include "Text.h"
#include "ras.h"

#include <cstdio>

using resources::text;

std::size_t userNameRoom(std::string_view domain) {
    return domain.size() < UNLEN ? UNLEN - domain.size() : 0;
}

bool requireText(std::string_view value, const char* message) {
    if (!value.empty()) return true;
    ui::messageBox(message, MB_ICONWARNING | MB_OK);
    return false;
}

bool fitsField(std::string_view value, std::size_t room, const char* fieldName) {
    if (value.size() <= room) return true;
    char message[256];
    std::snprintf(message, sizeof message, text("%sが長すぎます\n\n半角%d文字（全角%d文字）以内で入力してください"),
                  fieldName, static_cast<int>(room), static_cast<int>(room / 2));
    ui::messageBox(message, MB_ICONWARNING | MB_OK);
    return false;
}
