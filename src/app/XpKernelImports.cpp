// The thread library linked into kivora.exe (winpthreads) imports
// GetTickCount64, which Windows XP's kernel32 lacks, and one missing import
// keeps a program from starting at all. Its import slot is filled here
// instead: Windows' own function where there is one, else the 32-bit tick
// count (the library only measures short waits with it).
#include "Platform.h"

namespace {

ULONGLONG WINAPI tickCount64() {
    const auto system = procedureAddress<ULONGLONG(WINAPI*)()>(GetModuleHandleA("kernel32.dll"), "GetTickCount64");
    return system != nullptr ? system() : GetTickCount();
}

}  // namespace

#ifdef _WIN64
#define IMPORT_SLOT "__imp_GetTickCount64"
#else
#define IMPORT_SLOT "__imp__GetTickCount64@0"
#endif
extern "C" ULONGLONG(WINAPI* const kivoraTickCount64Slot)() __asm__(IMPORT_SLOT) = tickCount64;
