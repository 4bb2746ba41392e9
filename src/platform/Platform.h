// What the program knows of the machine it runs on: the Windows version
// family and the directory of its own executable.
#pragma once

#include "windows.h"

// 0 to 9 for the running Windows version, kOsKindUnknown when it cannot be
// told. Callers test only "> 6" (NT family) and "== 9" (XP).
using OsKind = DWORD;
constexpr OsKind kOsKindUnknown = 0xFFFFFFFF;
constexpr OsKind kOsKindMe = 6;
constexpr OsKind kOsKindXp = 9;

// Sets kind to the code of the running version. Returns 0 when the version
// could not be asked (kind stays kOsKindUnknown), else 1.
int probePlatform(OsKind& kind);

// The classification table on its own, for a version record already read.
OsKind classifyVersion(const OSVERSIONINFOA& info);

// Copies the directory of the running executable, without a trailing
// separator, into `directory` (MAX_PATH bytes). Returns 0 when `directory`
// is null, or when the executable's path does not fit (the buffer is then
// empty: a cut path would name another directory); else 1.
int programDirectory(char* directory);

// Forms "<program directory>/<fileName>" in `path` (MAX_PATH bytes). Returns
// false, with `path` empty, when the directory is unknown or the whole path
// does not fit; callers treat that as a missing file.
bool dataFilePath(const char* fileName, char* path);

// The same in the system directory (GetSystemDirectoryA), where the
// system's own libraries are.
bool systemFilePath(const char* fileName, char* path);

// GetProcAddress's answer as the function type it names, by way of
// void (*)(), the pointer type that stands for any function; null when the
// library has no such function.
template <typename Function>
Function procedureAddress(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

#ifdef _WIN32
// Takes the current directory and, where Windows can, the program's own
// folder out of the search for libraries, so that a DLL put there (a
// Downloads folder holds anything) is never loaded in place of the
// system's. For the whole process: called first thing.
void keepLibrarySearchToTheSystem();
#endif
