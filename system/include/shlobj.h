// The shell's special folders (shlobj.h), as far as Kivora asks for them.
#pragma once

#include "windows.h"

constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

extern "C" {
// Fills `path` (MAX_PATH bytes) with the folder's path; S_OK or an error.
HRESULT WINAPI SHGetFolderPathA(HWND window, int folder, HANDLE token, DWORD flags, LPSTR path);
}
